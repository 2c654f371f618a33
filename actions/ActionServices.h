#pragma once

#include <memory>

class CommandInterpreter;
class DesktopLauncher;
class DisplayPower;
class NetworkConnections;
class PowerManager;
class ProcessTerminator;

// The system facilities the actions use; tests hand in fakes.
struct ActionServices
{
    std::shared_ptr<PowerManager> power;
    std::shared_ptr<CommandInterpreter> interpreter;
    std::shared_ptr<DisplayPower> display;
    std::shared_ptr<NetworkConnections> network;
    std::shared_ptr<ProcessTerminator> terminator;
    std::shared_ptr<DesktopLauncher> launcher;

    // The facilities of the system the program runs on.
    static ActionServices system();
};
