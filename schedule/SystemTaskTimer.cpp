#include "schedule/SystemTaskTimer.h"

SystemTaskTimer::SystemTaskTimer(QObject *parent, qint64 maxStepMs)
    : TaskTimer(parent)
    , maxStep(qBound<qint64>(1, maxStepMs, MaxStepMs))
{
    timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early.
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &SystemTaskTimer::step);
}

void SystemTaskTimer::start(qint64 intervalMs)
{
    total = qMax<qint64>(0, intervalMs);
    elapsed.start();
    timer.start(int(qMin(total, maxStep)));
}

void SystemTaskTimer::stop()
{
    timer.stop();
}

bool SystemTaskTimer::isActive() const
{
    return timer.isActive();
}

qint64 SystemTaskTimer::interval() const
{
    return total;
}

void SystemTaskTimer::step()
{
    const qint64 remaining = total - elapsed.elapsed();
    if (remaining > 0) {
        timer.start(int(qMin(remaining, maxStep)));
        return;
    }
    emit timeout();
}
