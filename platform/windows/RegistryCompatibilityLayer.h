#pragma once

#include "platform/CompatibilityLayer.h"

// The compatibility-layer value under the current user's registry hive that makes the system
// start a program with administrator rights: named by the program's full path, holding
// "RUNASADMIN". Rewritten at every start; nothing removes it.
class RegistryCompatibilityLayer final : public CompatibilityLayer
{
public:
    // The key, under the current user's hive, where the system looks for these values.
    static const wchar_t *const LayersKey;

    // Another key under the current user's hive may be named, so that a test keeps its own.
    explicit RegistryCompatibilityLayer(const wchar_t *keyPath = LayersKey);

    void setRunAsAdmin(const QString &nativeProgramPath) override;

private:
    const wchar_t *keyPath;
};
