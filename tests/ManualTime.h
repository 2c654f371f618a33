#pragma once

#include "schedule/SchedulerClock.h"
#include "schedule/TaskTimer.h"
#include "schedule/TaskTimerFactory.h"

#include <QList>
#include <QPointer>

class ManualTime;

// A task timer that expires only when a test moves ManualTime past its deadline.
class ManualTimer : public TaskTimer
{
public:
    ManualTimer(ManualTime *source, QObject *parent)
        : TaskTimer(parent)
        , time(source)
    { }
    void start(qint64 intervalMs) override;
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    qint64 interval() const override { return intervalMs; }
    qint64 deadline() const { return due; }
    void expire()
    {
        active = false;
        emit timeout();
    }

private:
    ManualTime *time;
    qint64 intervalMs = 0;
    qint64 due = 0;
    bool active = false;
};

// The scheduler's clocks and timers under a test's control: hours pass in microseconds.
class ManualTime : public SchedulerClock, public TaskTimerFactory
{
public:
    explicit ManualTime(const QDateTime &wallStart, qint64 uptimeStartSeconds = 5000)
        : wallStartMs(wallStart.toMSecsSinceEpoch())
        , uptimeStartMs(uptimeStartSeconds * 1000)
    { }

    QDateTime now() const override { return QDateTime::fromMSecsSinceEpoch(wallStartMs + wallShiftMs + elapsed); }
    qint64 uptimeSeconds() const override { return (uptimeStartMs + sleptMs + elapsed) / 1000; }
    qint64 monotonicMs() const override { return elapsed; }

    TaskTimer *create(QObject *parent) override
    {
        auto *timer = new ManualTimer(this, parent);
        timers.append(timer);
        return timer;
    }

    // Lets time run on, expiring every timer whose deadline comes, in order.
    void advance(qint64 ms)
    {
        const qint64 end = elapsed + ms;
        while (ManualTimer *next = nextDue(end)) {
            elapsed = qMax(elapsed, next->deadline());
            next->expire();
        }
        elapsed = end;
    }
    void advanceSeconds(qint64 seconds) { advance(seconds * 1000); }

    // The wall clock jumps (the user set it, or the computer slept); the timers do not move.
    void shiftWallClock(qint64 ms) { wallShiftMs += ms; }
    void sleep(qint64 ms)
    {
        wallShiftMs += ms;
        sleptMs += ms;
    }

    int activeTimers() const
    {
        int count = 0;
        for (const auto &timer : timers)
            count += timer && timer->isActive();
        return count;
    }

private:
    ManualTimer *nextDue(qint64 end)
    {
        ManualTimer *best = nullptr;
        for (const auto &timer : qAsConst(timers)) {
            if (timer && timer->isActive() && timer->deadline() <= end
                && (!best || timer->deadline() < best->deadline()))
                best = timer;
        }
        return best;
    }

    friend class ManualTimer;
    qint64 wallStartMs;
    qint64 uptimeStartMs;
    qint64 wallShiftMs = 0;
    qint64 sleptMs = 0;
    qint64 elapsed = 0;
    QList<QPointer<ManualTimer>> timers;
};

inline void ManualTimer::start(qint64 ms)
{
    intervalMs = ms;
    due = time->elapsed + ms;
    active = true;
}
