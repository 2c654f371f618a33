#include "schedule/TaskComposer.h"

#include "schedule/FirstRunCalculator.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

namespace {

QString number(qint64 value)
{
    return QString::number(value);
}

int repeatExceptFor(bool saturday, bool sunday)
{
    if (saturday && sunday)
        return Connection::ExceptWeekend;
    if (saturday)
        return Connection::ExceptSat;
    if (sunday)
        return Connection::ExceptSun;
    return Connection::NoWork;
}

QString timeText(int timeOfDay)
{
    return QTime(0, 0).addSecs(timeOfDay).toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

bool TaskComposer::isCalendarKind(int kind)
{
    return kind >= OnceCommission && kind <= YearCommission;
}

bool TaskComposer::allowsOnlyOnce(int kind)
{
    return kind >= FromOnCommission && kind <= FreeCommission;
}

int TaskComposer::timerModeOf(int kind)
{
    switch (kind) {
    case FromNowCommission:
        return Connection::FromNow;
    case FromOnCommission:
        return Connection::FromTurnOn;
    case FromUntilCommission:
        return Connection::FromTurnOnUntil;
    case FromUploadCommission:
        return Connection::FromNowInUpload;
    case FromDownloadCommission:
        return Connection::FromNowInDownload;
    case FreeCommission:
        return Connection::IfFree;
    default:
        return Connection::ToTarget;
    }
}

Connection::Record TaskComposer::initialColumns()
{
    return {
        {"name", ""},
        {"eng_name", ""},
        {"order_command", ""},
        {"order_t", "0"},
        {"lease_second", "0"},
        {"repeat_mode", "0"},
        {"repeat_time_day_month_year_in_second", "-1"},
        {"repeat_bigger_unit", "0"},
        {"repeat_except", number(Connection::NoWork)},
        {"repeat_detail_day", ""},
        {"from_1970_seconds", "0"},
        {"condition_speed", "-1"},
        {"enable_state", number(Connection::Enable)},
    };
}

Connection::Record TaskComposer::calendarColumns(CommissionType kind, int orderId,
                                                 const CalendarChoice &choice)
{
    Connection::Record columns = initialColumns();
    columns["order_t"] = number(orderId);
    columns["timer_mode"] = number(Connection::ToTarget);
    columns["repeat_mode"] = number(kind);
    columns["lease_second"] = number(choice.timeOfDay);
    columns["repeat_time_day_month_year_in_second"] = number(choice.timeOfDay);
    columns["from_1970_seconds"] = number(FirstRunCalculator::epochSeconds(choice.firstRun, choice.timeOfDay));
    columns["repeat_detail_day"] =
        choice.firstRun.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + timeText(choice.timeOfDay);
    switch (kind) {
    case DayCommission:
        columns["repeat_bigger_unit"] = QStringLiteral("0_0");
        columns["repeat_except"] = number(repeatExceptFor(choice.exceptSaturday, choice.exceptSunday));
        break;
    case WeekCommission:
        columns["repeat_bigger_unit"] = number(choice.weekday);
        break;
    case MonthCommission:
        columns["repeat_bigger_unit"] = number(choice.monthDay);
        break;
    case YearCommission:
        columns["repeat_bigger_unit"] = QStringLiteral("%1_%2").arg(choice.month).arg(choice.day);
        break;
    default:
        columns["repeat_bigger_unit"] = QStringLiteral("0");
        break;
    }
    columns["name"] = calendarName(kind, orderId, choice);
    return columns;
}

QString TaskComposer::calendarName(CommissionType kind, int orderId, const CalendarChoice &choice)
{
    const QString time = timeText(choice.timeOfDay);
    const QString action = actionName(orderId);
    switch (kind) {
    case DayCommission:
        return QStringLiteral("每天%1 %2").arg(time, action);
    case WeekCommission:
        return QStringLiteral("每%1 %2 %3").arg(weekdayName(choice.weekday), time, action);
    case MonthCommission:
        return QStringLiteral("每月%1号%2 %3").arg(number(choice.monthDay), time, action);
    case YearCommission:
        return QStringLiteral("每年%1月%2号 %3 %4").arg(number(choice.month), number(choice.day), time, action);
    default:
        return QStringLiteral("%1 %2%3").arg(choice.firstRun.toString(QStringLiteral("yyyy-MM-dd")), time, action);
    }
}

Connection::Record TaskComposer::conditionColumns(CommissionType kind, int orderId,
                                                  const ConditionChoice &choice)
{
    Connection::Record columns = initialColumns();
    columns["order_t"] = number(orderId);
    columns["timer_mode"] = number(timerModeOf(kind));
    const bool repeats = kind != FromNowCommission && !choice.onlyOnce;
    columns["repeat_mode"] = number(repeats ? Connection::More : Connection::Once);
    const qint64 hours = typedNumber(choice.hours);
    const qint64 minutes = typedNumber(choice.minutes);
    if (kind == FromNowCommission || kind == FromOnCommission || kind == FromUntilCommission)
        columns["lease_second"] = number((hours * 60 + minutes) * 60);
    else
        columns["lease_second"] = number(minutes * 60);
    if (kind == FromUploadCommission || kind == FromDownloadCommission)
        columns["condition_speed"] = number(typedNumber(choice.rate));
    columns["from_1970_seconds"] = QStringLiteral("0");
    columns["name"] = conditionName(kind, orderId, choice);
    return columns;
}

QString TaskComposer::conditionName(CommissionType kind, int orderId, const ConditionChoice &choice)
{
    const QString action = actionName(orderId);
    const QString hours = shownNumber(choice.hours);
    const QString minutes = shownNumber(choice.minutes);
    switch (kind) {
    case FromNowCommission:
        return QStringLiteral("从现在开始%1小时%2分后%3").arg(hours, minutes, action);
    case FromOnCommission:
        return QStringLiteral("从电脑开机开始%1小时%2分后%3").arg(hours, minutes, action);
    case FromUntilCommission:
        return QStringLiteral("全天累计开机%1小时%2分后%3").arg(hours, minutes, action);
    case FromUploadCommission:
        return QStringLiteral("上传速度连续%1分钟低于%2KB/s后%3")
            .arg(minutes, number(typedNumber(choice.rate)), action);
    case FromDownloadCommission:
        return QStringLiteral("下载速度连续%1分钟低于%2KB/s后%3")
            .arg(minutes, number(typedNumber(choice.rate)), action);
    default:
        return QStringLiteral("电脑连续空闲%1分钟后执行%2").arg(minutes, action);
    }
}

QString TaskComposer::actionName(int orderId)
{
    static const QStringList names = {
        QStringLiteral("关机"),     QStringLiteral("重启"),       QStringLiteral("注销当前用户"),
        QStringLiteral("系统锁定"), QStringLiteral("睡眠"),       QStringLiteral("关闭显示器"),
        QStringLiteral("待机"),     QStringLiteral("运行软件"),   QStringLiteral("打开网址"),
        QStringLiteral("打开文件"), QStringLiteral("关闭软件"),   QStringLiteral("断开网络"),
    };
    return names.value(orderId);
}

QString TaskComposer::weekdayName(int weekday)
{
    static const QStringList names = {QStringLiteral("周一"), QStringLiteral("周二"), QStringLiteral("周三"),
                                      QStringLiteral("周四"), QStringLiteral("周五"), QStringLiteral("周六"),
                                      QStringLiteral("周日")};
    return names.value(weekday - 1);
}

QString TaskComposer::executionLine(qint64 from1970Seconds)
{
    if (from1970Seconds == 0)
        return QString();
    return QStringLiteral("执行时间为:%1")
        .arg(QDateTime::fromSecsSinceEpoch(from1970Seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

Connection::OperationType TaskComposer::operationTypeFor(int orderId)
{
    switch (orderId) {
    case Connection::RunSoftware:
        return Connection::Software;
    case Connection::GetUrl:
        return Connection::NetAddress;
    case Connection::OpenFile:
        return Connection::File;
    case Connection::StopSofeware:
        return Connection::StioSoftWare;
    default:
        return Connection::None;
    }
}

qint64 TaskComposer::typedNumber(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? value : 0;
}

QString TaskComposer::shownNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch() ? text : number(typedNumber(text));
}

QString TaskComposer::periodProblem(int kind, const Connection::Record &columns)
{
    if (isCalendarKind(kind) || columns.value(QStringLiteral("lease_second")).toLongLong() > 0)
        return QString();
    switch (kind) {
    case FromNowCommission:
        return QStringLiteral("“从现在开始”的时间不能为0,请输入大于0的小时或分钟");
    case FromOnCommission:
        return QStringLiteral("“电脑开机后”的时间不能为0,请输入大于0的小时或分钟");
    case FromUntilCommission:
        return QStringLiteral("“累计开机”的时间不能为0,请输入大于0的小时或分钟");
    case FromUploadCommission:
        return QStringLiteral("“上行速度”的分钟数不能为0,请输入大于0的分钟数");
    case FromDownloadCommission:
        return QStringLiteral("“下载速度”的分钟数不能为0,请输入大于0的分钟数");
    default:
        return QStringLiteral("“电脑空闲”的分钟数不能为0,请输入大于0的分钟数");
    }
}

Connection::Record TaskComposer::saveRecord(const Connection::Record &columns, const QString &operand,
                                            const QString &positionId, const QString &id)
{
    static const QStringList keys = {
        "name", "eng_name", "order_command", "order_t", "lease_second", "timer_mode", "repeat_mode",
        "repeat_time_day_month_year_in_second", "repeat_bigger_unit", "repeat_except",
        "repeat_detail_day", "from_1970_seconds", "condition_speed",
    };
    Connection::Record record;
    for (const QString &key : keys)
        record.insert(key, columns.value(key));
    const Connection::OperationType type = operationTypeFor(columns.value("order_t").toInt());
    record.insert("position", type == Connection::None ? QString() : operand);
    record.insert("position_id", positionId.isEmpty() ? QStringLiteral("-1") : positionId);
    record.insert("operation_type", number(type));
    record.insert("enable_state", number(Connection::Enable));
    if (!id.isEmpty())
        record.insert("id", id);
    return record;
}
