#pragma once

#include <QDateTime>
#include <QString>

// The tray icon's tool tip: which task runs next, and when, in words a glance takes in.
class TrayTooltip final
{
public:
    // "下一个任务: 今天 22:30:00 关机"; "明天" for tomorrow, otherwise the date "yyyy-MM-dd".
    static QString nextTask(const QDateTime &moment, int orderId, const QDateTime &now);
    // With nothing armed.
    static QString nothingArmed();
};
