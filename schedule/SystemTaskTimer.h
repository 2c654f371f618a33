#pragma once

#include "schedule/TaskTimer.h"

#include <QElapsedTimer>
#include <QTimer>

// A task timer on the event loop. A long interval is waited out in steps of at most 24 days,
// each step measured against a monotonic clock, so that it never fires early.
class SystemTaskTimer final : public TaskTimer
{
    Q_OBJECT
public:
    static constexpr qint64 MaxStepMs = Q_INT64_C(24) * 24 * 3600 * 1000;

    explicit SystemTaskTimer(QObject *parent = nullptr, qint64 maxStepMs = MaxStepMs);

    void start(qint64 intervalMs) override;
    void stop() override;
    bool isActive() const override;
    qint64 interval() const override;

private:
    void step();

    QTimer timer;
    QElapsedTimer elapsed;
    qint64 total = 0;
    qint64 maxStep;
};
