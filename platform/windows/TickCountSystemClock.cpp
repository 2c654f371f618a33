#include "platform/windows/TickCountSystemClock.h"

#include <windows.h>

qint64 TickCountSystemClock::uptimeMilliseconds() const
{
    return qint64(GetTickCount64());
}
