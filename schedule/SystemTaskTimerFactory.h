#pragma once

#include "schedule/TaskTimerFactory.h"

class SystemTaskTimerFactory : public TaskTimerFactory
{
public:
    TaskTimer *create(QObject *parent) override;
};
