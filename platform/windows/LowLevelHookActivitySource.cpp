#include "platform/windows/LowLevelHookActivitySource.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

bool LowLevelHookActivitySource::start()
{
    InertNotice::once(said, "The desktop-wide input watch");
    return false;
}

void LowLevelHookActivitySource::stop()
{ }
