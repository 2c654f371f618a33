#include "app/TrayTooltip.h"

#include "schedule/TaskComposer.h"

QString TrayTooltip::nextTask(const QDateTime &moment, int orderId, const QDateTime &now)
{
    const qint64 days = now.date().daysTo(moment.date());
    QString day;
    if (days == 0)
        day = QStringLiteral("今天");
    else if (days == 1)
        day = QStringLiteral("明天");
    else
        day = moment.toString(QStringLiteral("yyyy-MM-dd"));
    return QStringLiteral("下一个任务: %1 %2 %3")
        .arg(day, moment.toString(QStringLiteral("HH:mm:ss")), TaskComposer::actionName(orderId));
}

QString TrayTooltip::nothingArmed()
{
    return QStringLiteral("没有已开启的任务");
}
