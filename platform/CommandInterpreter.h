#pragma once

#include <QString>

// Runs an action's command text the way the system's hidden command interpreter would, without
// waiting for it to finish.
class CommandInterpreter
{
public:
    virtual ~CommandInterpreter() = default;
    virtual void run(const QString &commandText) = 0;
};
