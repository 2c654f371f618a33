#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Puts the test process in a time zone. Windows takes its zone from the system, so there the
// zone comes from outside (Wine follows its TZ, see tests/CMakeLists.txt) and the C runtime must
// not read TZ: it would take the IANA name for a POSIX rule. The caller checks an offset.
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
