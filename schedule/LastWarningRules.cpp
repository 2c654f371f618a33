#include "schedule/LastWarningRules.h"

#include "schedule/TaskComposer.h"
#include "storage/Connection.h"

bool LastWarningRules::warnsBefore(int orderId)
{
    switch (orderId) {
    case Connection::Shutdown:
    case Connection::Shutdown_r:
    case Connection::Logoff:
    case Connection::Shutdown_h:
    case Connection::SuspendState:
    case Connection::ShutOffNet:
        return true;
    default:
        return false;
    }
}

qint64 LastWarningRules::leadMs(int orderId, int timerMode, qint64 periodMs)
{
    if (!warnsBefore(orderId) || periodMs <= 0)
        return 0;
    switch (timerMode) {
    case Connection::FromNow:
    case Connection::FromNowInDownload:
    case Connection::FromNowInUpload:
    case Connection::IfFree:
        return periodMs < ShortPeriodMs ? periodMs / 2 : LeadMs;
    default:
        // A moment on the calendar or after power-on: as much warning as is left, up to a minute.
        return qMin(periodMs, LeadMs);
    }
}

QString LastWarningRules::countdownText(int orderId, qint64 remainingMs)
{
    const qint64 seconds = (qMax<qint64>(0, remainingMs) + 999) / 1000;
    return QStringLiteral("将在 %1 秒后%2").arg(seconds).arg(TaskComposer::actionName(orderId));
}

qint64 LastWarningRules::runMomentMs(Answer answer, qint64 dueMs, qint64 nowMs)
{
    switch (answer) {
    case RunNow:
        return qMin(nowMs, dueMs);
    case Postpone:
        return dueMs + PostponeMs;
    case SkipThisRun:
        return -1;
    case NoAnswer:
    default:
        return dueMs;
    }
}

bool LastWarningRules::endsRunAtOnce(Answer answer)
{
    return answer == RunNow || answer == SkipThisRun;
}
