#pragma once

class QObject;
class TaskTimer;

// Makes the scheduler's timers; tests hand in timers that run on a clock of their own.
class TaskTimerFactory
{
public:
    virtual ~TaskTimerFactory() = default;
    virtual TaskTimer *create(QObject *parent) = 0;
};
