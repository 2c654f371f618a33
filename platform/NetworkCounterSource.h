#pragma once

#include <QtGlobal>

// Total octets received and sent over every network interface since they came up.
struct NetworkTotals
{
    quint64 received = 0;
    quint64 sent = 0;
};

// Where the network sampler reads its counters from.
class NetworkCounterSource
{
public:
    virtual ~NetworkCounterSource() = default;
    // False when this system offers no counters at all; the sampler then never reports.
    virtual bool isSupported() const = 0;
    // The current totals; a failed read keeps the last totals it had.
    virtual NetworkTotals read() = 0;
};
