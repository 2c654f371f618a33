#pragma once

#include <QObject>

// A task's single-shot timer. Intervals are 64-bit milliseconds, so waits longer than a
// plain 32-bit timer holds are fine.
class TaskTimer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~TaskTimer() override;

    virtual void start(qint64 intervalMs) = 0;
    // Starts again with the interval of the last start.
    void restart() { start(interval()); }
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual qint64 interval() const = 0;

signals:
    void timeout();
};
