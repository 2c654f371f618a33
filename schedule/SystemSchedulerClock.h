#pragma once

#include "schedule/SchedulerClock.h"

#include <QElapsedTimer>

#include <memory>

class SystemClock;

class SystemSchedulerClock final : public SchedulerClock
{
public:
    explicit SystemSchedulerClock(std::shared_ptr<SystemClock> system);

    QDateTime now() const override;
    qint64 uptimeSeconds() const override;
    qint64 monotonicMs() const override;

private:
    std::shared_ptr<SystemClock> system;
    QElapsedTimer monotonic;
};
