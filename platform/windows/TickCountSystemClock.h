#pragma once

#include "platform/SystemClock.h"

// The system's millisecond tick count since start, which keeps counting while the computer
// sleeps or hibernates.
class TickCountSystemClock final : public SystemClock
{
public:
    qint64 uptimeMilliseconds() const override;
};
