#pragma once

#include "platform/CommandInterpreter.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>

// The hidden command interpreter: "cmd.exe /c" with the action's command text, started without a
// window. The interpreter is waited for on a thread of its own, so the window never waits for a
// command; a command that cannot start or that ends with a status other than 0 is logged.
class HiddenCommandInterpreter final : public CommandInterpreter
{
public:
    // What starts the interpreter: ShellExecuteExW, or a test's stand-in around it.
    using Launch = std::function<BOOL(SHELLEXECUTEINFOW *)>;

    HiddenCommandInterpreter();
    explicit HiddenCommandInterpreter(Launch launcher);

    void run(const QString &commandText) override;

    // The interpreter's parameters for a command text: "cmd.exe /c " and the text, unchanged.
    static QString parametersFor(const QString &commandText);

private:
    static void waitForEnd(HANDLE process, const QString &commandText);

    Launch launch;
};
