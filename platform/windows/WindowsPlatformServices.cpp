#include "platform/PlatformServices.h"

#include "platform/windows/CaptionDragWindowMover.h"
#include "platform/windows/ComNetworkConnections.h"
#include "platform/windows/ExitWindowsPowerManager.h"
#include "platform/windows/HiddenCommandInterpreter.h"
#include "platform/windows/IpHelperCounters.h"
#include "platform/windows/LowLevelHookActivitySource.h"
#include "platform/windows/NotepadDesktopLauncher.h"
#include "platform/windows/PowerBroadcastSleepWatcher.h"
#include "platform/windows/RegistryCompatibilityLayer.h"
#include "platform/windows/SnapshotProcessTerminator.h"
#include "platform/windows/SysCommandDisplayPower.h"
#include "platform/windows/TickCountSystemClock.h"
#include "platform/windows/WevtutilPowerEventSource.h"

std::unique_ptr<NetworkCounterSource> PlatformServices::networkCounters()
{
    return std::make_unique<IpHelperCounters>();
}

std::unique_ptr<InputActivitySource> PlatformServices::inputActivity()
{
    return std::make_unique<LowLevelHookActivitySource>();
}

std::unique_ptr<CompatibilityLayer> PlatformServices::compatibilityLayer()
{
    return std::make_unique<RegistryCompatibilityLayer>();
}

std::shared_ptr<PowerManager> PlatformServices::powerManager()
{
    return std::make_shared<ExitWindowsPowerManager>();
}

std::shared_ptr<CommandInterpreter> PlatformServices::commandInterpreter(std::shared_ptr<PowerManager> power)
{
    // Windows reaches its power and lock actions through the interpreter's own commands.
    Q_UNUSED(power)
    return std::make_shared<HiddenCommandInterpreter>();
}

std::shared_ptr<DisplayPower> PlatformServices::displayPower()
{
    return std::make_shared<SysCommandDisplayPower>();
}

std::shared_ptr<NetworkConnections> PlatformServices::networkConnections()
{
    return std::make_shared<ComNetworkConnections>();
}

std::shared_ptr<ProcessTerminator> PlatformServices::processTerminator()
{
    return std::make_shared<SnapshotProcessTerminator>();
}

std::shared_ptr<DesktopLauncher> PlatformServices::desktopLauncher()
{
    return std::make_shared<NotepadDesktopLauncher>();
}

std::unique_ptr<SleepWatcher> PlatformServices::sleepWatcher()
{
    return std::make_unique<PowerBroadcastSleepWatcher>();
}

std::shared_ptr<SystemClock> PlatformServices::systemClock()
{
    return std::make_shared<TickCountSystemClock>();
}

std::shared_ptr<PowerEventSource> PlatformServices::powerEventSource()
{
    return std::make_shared<WevtutilPowerEventSource>();
}

std::shared_ptr<WindowMover> PlatformServices::windowMover()
{
    return std::make_shared<CaptionDragWindowMover>();
}
