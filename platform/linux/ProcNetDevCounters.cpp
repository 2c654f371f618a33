#include "platform/linux/ProcNetDevCounters.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QList>

ProcNetDevCounters::ProcNetDevCounters(const QString &devFile)
    : path(devFile)
{ }

bool ProcNetDevCounters::isSupported() const
{
    return QFileInfo(path).isReadable();
}

NetworkTotals ProcNetDevCounters::read()
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "Cannot read network counters from" << path << ":" << file.errorString();
        return last;
    }
    last = parse(file.readAll());
    return last;
}

NetworkTotals ProcNetDevCounters::parse(const QByteArray &text)
{
    // Each interface line: "name: rx_bytes rx_packets ... (8 receive fields) tx_bytes ...".
    NetworkTotals totals;
    for (const QByteArray &line : text.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QList<QByteArray> fields = line.mid(colon + 1).simplified().split(' ');
        if (fields.size() < 9)
            continue;
        totals.received += fields.at(0).toULongLong();
        totals.sent += fields.at(8).toULongLong();
    }
    return totals;
}
