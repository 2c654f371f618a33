#include "platform/windows/PowerBroadcastSleepWatcher.h"

#include <QCoreApplication>
#include <QDebug>

#include <windows.h>

PowerBroadcastSleepWatcher::PowerBroadcastSleepWatcher(QObject *parent)
    : SleepWatcher(parent)
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
    else
        qWarning() << "Cannot hear the system wake from sleep before the application exists";
}

PowerBroadcastSleepWatcher::~PowerBroadcastSleepWatcher()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool PowerBroadcastSleepWatcher::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result)
    // The broadcast is sent to the windows, not posted: it reaches the window procedure only
    // (a posted message would also pass as "windows_dispatcher_MSG" and be heard twice).
    if (eventType != "windows_generic_MSG" || !message)
        return false;
    const MSG *windowMessage = static_cast<const MSG *>(message);
    if (windowMessage->message == WM_POWERBROADCAST && windowMessage->wParam == PBT_APMRESUMEAUTOMATIC)
        emit resumed();
    // Qt and the other windows go on to see the message as well.
    return false;
}
