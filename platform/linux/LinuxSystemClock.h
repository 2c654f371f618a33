#pragma once

#include "platform/SystemClock.h"

// The kernel's boot-time clock, which keeps counting while the computer sleeps.
class LinuxSystemClock final : public SystemClock
{
public:
    qint64 uptimeMilliseconds() const override;
};
