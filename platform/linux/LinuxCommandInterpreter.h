#pragma once

#include "platform/CommandInterpreter.h"

#include <memory>

class PowerManager;

// Stands in for the hidden command interpreter: the catalogue's power and lock commands go to
// the power manager, the commands that would do nothing there do nothing here, and any other
// text runs through /bin/sh in the background.
class LinuxCommandInterpreter final : public CommandInterpreter
{
public:
    explicit LinuxCommandInterpreter(std::shared_ptr<PowerManager> power);
    void run(const QString &commandText) override;

private:
    bool runAsPowerRequest(const QString &commandText);
    static bool doesNothing(const QString &commandText);
    static void runInShell(const QString &commandText);

    std::shared_ptr<PowerManager> power;
};
