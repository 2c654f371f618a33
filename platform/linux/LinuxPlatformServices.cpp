#include "platform/PlatformServices.h"

#include "platform/QtDesktopLauncher.h"
#include "platform/QtWindowMover.h"
#include "platform/linux/JournalPowerEventSource.h"
#include "platform/linux/LinuxCommandInterpreter.h"
#include "platform/linux/LinuxSystemClock.h"
#include "platform/linux/LoginRecordPowerEventSource.h"
#include "platform/linux/LogindPowerManager.h"
#include "platform/linux/LogindSleepWatcher.h"
#include "platform/linux/NetworkManagerConnections.h"
#include "platform/linux/NoCompatibilityLayer.h"
#include "platform/linux/ProcNetDevCounters.h"
#include "platform/linux/ProcProcessTerminator.h"
#include "platform/linux/SessionIdleTimeSource.h"
#include "platform/linux/XDpmsDisplayPower.h"
#include "platform/linux/XInputActivitySource.h"

std::unique_ptr<NetworkCounterSource> PlatformServices::networkCounters()
{
    return std::make_unique<ProcNetDevCounters>();
}

std::unique_ptr<InputActivitySource> PlatformServices::inputActivity()
{
    // On Wayland the X display sees only programs of the X compatibility server: typing in
    // any other window would look like idleness.
    if (SessionIdleTimeSource::isWaylandSession())
        return std::make_unique<SessionIdleTimeSource>();
    return std::make_unique<XInputActivitySource>();
}

std::unique_ptr<CompatibilityLayer> PlatformServices::compatibilityLayer()
{
    return std::make_unique<NoCompatibilityLayer>();
}

std::shared_ptr<PowerManager> PlatformServices::powerManager()
{
    return std::make_shared<LogindPowerManager>();
}

std::shared_ptr<CommandInterpreter> PlatformServices::commandInterpreter(std::shared_ptr<PowerManager> power)
{
    return std::make_shared<LinuxCommandInterpreter>(std::move(power));
}

std::shared_ptr<DisplayPower> PlatformServices::displayPower()
{
    return std::make_shared<XDpmsDisplayPower>();
}

std::shared_ptr<NetworkConnections> PlatformServices::networkConnections()
{
    return std::make_shared<NetworkManagerConnections>();
}

std::shared_ptr<ProcessTerminator> PlatformServices::processTerminator()
{
    return std::make_shared<ProcProcessTerminator>();
}

std::shared_ptr<DesktopLauncher> PlatformServices::desktopLauncher()
{
    return std::make_shared<QtDesktopLauncher>();
}

std::unique_ptr<SleepWatcher> PlatformServices::sleepWatcher()
{
    return std::make_unique<LogindSleepWatcher>();
}

std::shared_ptr<SystemClock> PlatformServices::systemClock()
{
    return std::make_shared<LinuxSystemClock>();
}

std::shared_ptr<PowerEventSource> PlatformServices::powerEventSource()
{
    // The system journal may be closed to the user (outside the adm and systemd-journal
    // groups); the login records are open to every user.
    auto journal = std::make_shared<JournalPowerEventSource>();
    journal->setFallback(std::make_shared<LoginRecordPowerEventSource>());
    return journal;
}

std::shared_ptr<WindowMover> PlatformServices::windowMover()
{
    return std::make_shared<QtWindowMover>();
}
