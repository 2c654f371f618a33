#pragma once

#include "platform/CompatibilityLayer.h"

// The compatibility-layer value under the current user's registry hive that starts a program
// with administrator rights. Not written yet: nothing is recorded.
class RegistryCompatibilityLayer : public CompatibilityLayer
{
public:
    void setRunAsAdmin(const QString &nativeProgramPath) override;
};
