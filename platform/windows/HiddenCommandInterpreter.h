#pragma once

#include "platform/CommandInterpreter.h"

// The hidden command interpreter (cmd.exe /c with the action's command text, no window). Not
// written yet: no command runs.
class HiddenCommandInterpreter : public CommandInterpreter
{
public:
    void run(const QString &commandText) override;
};
