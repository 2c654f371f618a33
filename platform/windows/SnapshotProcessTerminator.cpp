#include "platform/windows/SnapshotProcessTerminator.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void SnapshotProcessTerminator::terminateAll(const QString &executableName)
{
    Q_UNUSED(executableName)
    InertNotice::once(said, "Closing a program");
}
