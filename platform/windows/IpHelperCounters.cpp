#include "platform/windows/IpHelperCounters.h"

#include <QDebug>

// The socket headers first: the IP Helper headers build on their types.
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>

IpHelperCounters::IpHelperCounters()
    : IpHelperCounters(TableSource{&GetIfTable2, &FreeMibTable})
{ }

IpHelperCounters::IpHelperCounters(TableSource source)
    : table(std::move(source))
{ }

bool IpHelperCounters::isSupported() const
{
    PMIB_IF_TABLE2 rows = nullptr;
    const DWORD result = table.fetch(&rows);
    if (rows)
        table.release(rows);
    if (result == NO_ERROR)
        return true;
    qWarning().noquote() << QStringLiteral("The interface table cannot be read (error %1)").arg(result);
    return false;
}

NetworkTotals IpHelperCounters::read()
{
    PMIB_IF_TABLE2 rows = nullptr;
    const DWORD result = table.fetch(&rows);
    if (result == NO_ERROR && rows) {
        last = sum(*rows);
        lastError = NO_ERROR;
    } else if (result != lastError) {
        // Said once per kind of failure, not once a second.
        qWarning().noquote() << QStringLiteral("Reading the interface table failed (error %1): the rates "
                                               "stay as they were")
                                    .arg(result);
        lastError = result;
    }
    if (rows)
        table.release(rows);
    return last;
}

NetworkTotals IpHelperCounters::sum(const MIB_IF_TABLE2 &rows)
{
    NetworkTotals totals;
    for (ULONG i = 0; i < rows.NumEntries; ++i) {
        totals.received += rows.Table[i].InOctets;
        totals.sent += rows.Table[i].OutOctets;
    }
    return totals;
}
