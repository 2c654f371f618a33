#pragma once

#include "platform/NetworkCounterSource.h"

// The IP Helper interface table with its 64-bit octet counters, summed over every interface.
// Not written yet: this build reads no counters, so the sampler never reports.
class IpHelperCounters : public NetworkCounterSource
{
public:
    bool isSupported() const override;
    NetworkTotals read() override;
};
