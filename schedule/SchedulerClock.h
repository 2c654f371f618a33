#pragma once

#include <QDateTime>

// The clocks the scheduler reads; tests move them by hand.
class SchedulerClock
{
public:
    virtual ~SchedulerClock() = default;
    // The local date and time (the wall clock, which the user or the network may change).
    virtual QDateTime now() const = 0;
    // Time since the computer was switched on.
    virtual qint64 uptimeSeconds() const = 0;
    // A clock that only moves forward, for measuring periods.
    virtual qint64 monotonicMs() const = 0;
};
