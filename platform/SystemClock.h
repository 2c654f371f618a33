#pragma once

#include <QString>

// The system's own clocks.
class SystemClock
{
public:
    virtual ~SystemClock() = default;
    // Time since the computer was switched on, sleep included.
    virtual qint64 uptimeMilliseconds() const = 0;
};
