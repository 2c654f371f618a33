#include "platform/linux/LinuxSystemClock.h"

#include <QDebug>

#include <time.h>

qint64 LinuxSystemClock::uptimeMilliseconds() const
{
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        qWarning() << "Cannot read the boot-time clock";
        return 0;
    }
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
