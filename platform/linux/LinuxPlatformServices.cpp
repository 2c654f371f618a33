#include "platform/PlatformServices.h"

#include "platform/linux/NoCompatibilityLayer.h"
#include "platform/linux/ProcNetDevCounters.h"
#include "platform/linux/XInputActivitySource.h"

std::unique_ptr<NetworkCounterSource> PlatformServices::networkCounters()
{
    return std::make_unique<ProcNetDevCounters>();
}

std::unique_ptr<InputActivitySource> PlatformServices::inputActivity()
{
    return std::make_unique<XInputActivitySource>();
}

std::unique_ptr<CompatibilityLayer> PlatformServices::compatibilityLayer()
{
    return std::make_unique<NoCompatibilityLayer>();
}
