#include "platform/windows/RegistryCompatibilityLayer.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void RegistryCompatibilityLayer::setRunAsAdmin(const QString &nativeProgramPath)
{
    Q_UNUSED(nativeProgramPath)
    InertNotice::once(said, "The compatibility-layer record");
}
