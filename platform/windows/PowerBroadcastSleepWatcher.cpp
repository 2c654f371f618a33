#include "platform/windows/PowerBroadcastSleepWatcher.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

PowerBroadcastSleepWatcher::PowerBroadcastSleepWatcher(QObject *parent)
    : SleepWatcher(parent)
{
    InertNotice::once(said, "The resume-from-sleep watch");
}
