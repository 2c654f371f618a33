#include "schedule/SystemSchedulerClock.h"

#include "platform/SystemClock.h"

SystemSchedulerClock::SystemSchedulerClock(std::shared_ptr<SystemClock> systemClock)
    : system(std::move(systemClock))
{
    monotonic.start();
}

QDateTime SystemSchedulerClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemSchedulerClock::uptimeSeconds() const
{
    return system->uptimeMilliseconds() / 1000;
}

qint64 SystemSchedulerClock::monotonicMs() const
{
    return monotonic.elapsed();
}
