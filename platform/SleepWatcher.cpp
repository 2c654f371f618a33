#include "platform/SleepWatcher.h"

SleepWatcher::~SleepWatcher() = default;
