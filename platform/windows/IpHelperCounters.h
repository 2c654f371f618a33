#pragma once

#include "platform/NetworkCounterSource.h"

#include <functional>

// The IP Helper table type, declared here so that this header may come before or after
// <windows.h> (the socket headers must precede it).
struct _MIB_IF_TABLE2;

// The IP Helper interface table with its 64-bit octet counters, summed over every interface
// (loopback, virtual and disconnected ones included), so that no counter wraps within the
// lifetime of a computer.
class IpHelperCounters final : public NetworkCounterSource
{
public:
    // Where the table comes from: GetIfTable2 and FreeMibTable, or a test's own tables.
    struct TableSource
    {
        std::function<unsigned long(_MIB_IF_TABLE2 **)> fetch;
        std::function<void(_MIB_IF_TABLE2 *)> release;
    };

    IpHelperCounters();
    explicit IpHelperCounters(TableSource source);

    bool isSupported() const override;
    NetworkTotals read() override;

    // The totals of one interface table.
    static NetworkTotals sum(const _MIB_IF_TABLE2 &table);

private:
    TableSource table;
    NetworkTotals last;
    unsigned long lastError = 0;
};
