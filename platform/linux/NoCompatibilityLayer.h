#pragma once

#include "platform/CompatibilityLayer.h"

// Linux keeps no per-program record of how to start a program, and the program runs as the
// desktop user: privileged actions go through the system's power manager instead.
class NoCompatibilityLayer final : public CompatibilityLayer
{
public:
    void setRunAsAdmin(const QString &nativeProgramPath) override;
};
