#pragma once

#include "platform/SleepWatcher.h"

// Hears systemd-logind announce the end of a sleep.
class LogindSleepWatcher final : public SleepWatcher
{
    Q_OBJECT
public:
    explicit LogindSleepWatcher(QObject *parent = nullptr);

private slots:
    void prepareForSleep(bool goingToSleep);
};
