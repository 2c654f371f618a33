#include "platform/linux/LogindSleepWatcher.h"

#include <QDBusConnection>
#include <QDebug>

LogindSleepWatcher::LogindSleepWatcher(QObject *parent)
    : SleepWatcher(parent)
{
    const bool connected = QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));
    if (!connected)
        qWarning() << "Cannot hear the system wake from sleep; timed tasks check the clock each minute";
}

void LogindSleepWatcher::prepareForSleep(bool goingToSleep)
{
    if (!goingToSleep)
        emit resumed();
}
