#include "schedule/TaskTimer.h"

TaskTimer::~TaskTimer() = default;
