#include "schedule/SystemTaskTimerFactory.h"

#include "schedule/SystemTaskTimer.h"

TaskTimer *SystemTaskTimerFactory::create(QObject *parent)
{
    return new SystemTaskTimer(parent);
}
