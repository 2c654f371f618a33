#pragma once

#include "platform/SleepWatcher.h"

// Hears the power broadcast that announces the computer has resumed from sleep. Not written
// yet: resumed() is never emitted, so timers are not corrected after a sleep on this build.
class PowerBroadcastSleepWatcher : public SleepWatcher
{
    Q_OBJECT
public:
    explicit PowerBroadcastSleepWatcher(QObject *parent = nullptr);
};
