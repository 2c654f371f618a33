#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Puts the test process in a time zone. Linux takes TZ at any time; Windows takes its zone
// from the system, so there the zone is given to the whole process from outside (Wine
// follows the TZ it is started with, see tests/CMakeLists.txt) and the C runtime must not
// read the variable itself: it would take an IANA name for a POSIX rule and get it wrong.
// Either way the caller checks an offset, so a zone that did not take fails the suite.
inline void useTimeZone(const QByteArray &ianaName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(ianaName)
    qunsetenv("TZ");
    _tzset();
#else
    qputenv("TZ", ianaName);
    tzset();
#endif
}
