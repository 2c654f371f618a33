#pragma once

#include "schedule/TaskTimerFactory.h"

class SystemTaskTimerFactory final : public TaskTimerFactory
{
public:
    TaskTimer *create(QObject *parent) override;
};
