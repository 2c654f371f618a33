#pragma once

#include <QString>

// The system's record of how a program is to be started (on some systems: with
// administrator rights at every start).
class CompatibilityLayer
{
public:
    virtual ~CompatibilityLayer() = default;
    virtual void setRunAsAdmin(const QString &nativeProgramPath) = 0;
};
