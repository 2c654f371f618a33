#pragma once

#include "schedule/SchedulerClock.h"
#include "schedule/TaskTimer.h"
#include "schedule/TaskTimerFactory.h"

#include <QList>
#include <QPointer>

// A task timer that expires only when a test moves ManualTime past its deadline.
class ManualTimer : public TaskTimer
{
public:
    ManualTimer(const qint64 *clock, QObject *parent)
        : TaskTimer(parent)
        , elapsed(clock)
    { }
    void start(qint64 ms) override { intervalMs = ms, due = *elapsed + ms, active = true; }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    qint64 interval() const override { return intervalMs; }

    const qint64 *elapsed;
    qint64 intervalMs = 0;
    qint64 due = 0;
    bool active = false;
};

// The scheduler's clocks and timers under a test's control: hours pass in microseconds. The
// machine has been on for 5000 s when the clock starts.
class ManualTime : public SchedulerClock, public TaskTimerFactory
{
public:
    explicit ManualTime(const QDateTime &wallStart)
        : wallStartMs(wallStart.toMSecsSinceEpoch())
    { }

    QDateTime now() const override { return QDateTime::fromMSecsSinceEpoch(wallStartMs + wallShiftMs + elapsed); }
    qint64 uptimeSeconds() const override { return (5000000 + sleptMs + elapsed) / 1000; }
    qint64 monotonicMs() const override { return elapsed; }
    TaskTimer *create(QObject *parent) override
    {
        timers.append(new ManualTimer(&elapsed, parent));
        return timers.last();
    }

    // Lets time run on, expiring every timer whose deadline comes, in order.
    void advance(qint64 ms)
    {
        const qint64 end = elapsed + ms;
        for (ManualTimer *next = nullptr;; next = nullptr) {
            for (ManualTimer *timer : qAsConst(timers)) {
                if (timer && timer->active && timer->due <= end && (!next || timer->due < next->due))
                    next = timer;
            }
            if (!next)
                break;
            elapsed = qMax(elapsed, next->due);
            next->active = false;
            emit next->timeout();
        }
        elapsed = end;
    }
    void advanceSeconds(qint64 seconds) { advance(seconds * 1000); }

    // The wall clock jumps (the user set it, or the computer slept); the timers do not move.
    void shiftWallClock(qint64 ms) { wallShiftMs += ms; }
    void sleep(qint64 ms) { wallShiftMs += ms, sleptMs += ms; }

    int activeTimers() const
    {
        int count = 0;
        for (const auto &timer : timers)
            count += timer && timer->active;
        return count;
    }

private:
    qint64 wallStartMs;
    qint64 wallShiftMs = 0;
    qint64 sleptMs = 0;
    qint64 elapsed = 0;
    QList<QPointer<ManualTimer>> timers;
};
