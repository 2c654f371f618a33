#pragma once

#include <memory>

class CommandInterpreter;
class CompatibilityLayer;
class DesktopLauncher;
class DisplayPower;
class InputActivitySource;
class NetworkConnections;
class NetworkCounterSource;
class PowerEventSource;
class PowerManager;
class ProcessTerminator;
class SleepWatcher;
class SystemClock;
class WindowMover;

// Makes the operating system's implementation of each platform facility. Subsystems ask
// here (or are handed a fake by tests) and never name an implementation themselves.
class PlatformServices final
{
public:
    static std::unique_ptr<NetworkCounterSource> networkCounters();
    static std::unique_ptr<InputActivitySource> inputActivity();
    static std::unique_ptr<CompatibilityLayer> compatibilityLayer();
    static std::shared_ptr<PowerManager> powerManager();
    static std::shared_ptr<CommandInterpreter> commandInterpreter(std::shared_ptr<PowerManager> power);
    static std::shared_ptr<DisplayPower> displayPower();
    static std::shared_ptr<NetworkConnections> networkConnections();
    static std::shared_ptr<ProcessTerminator> processTerminator();
    static std::shared_ptr<DesktopLauncher> desktopLauncher();
    static std::unique_ptr<SleepWatcher> sleepWatcher();
    static std::shared_ptr<SystemClock> systemClock();
    static std::shared_ptr<PowerEventSource> powerEventSource();
    static std::shared_ptr<WindowMover> windowMover();
};
