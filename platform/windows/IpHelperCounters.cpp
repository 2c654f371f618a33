#include "platform/windows/IpHelperCounters.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

bool IpHelperCounters::isSupported() const
{
    InertNotice::once(said, "The network rate monitor");
    return false;
}

NetworkTotals IpHelperCounters::read()
{
    return {};
}
