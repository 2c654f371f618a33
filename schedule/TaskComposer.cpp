#include "schedule/TaskComposer.h"

#include "schedule/FirstRunCalculator.h"
#include "storage/RecordKeys.h"

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
    return QTime(0, 0).addSecs(timeOfDay).toString(DateFormat::Time);
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
        {Column::Name, ""},
        {Column::EngName, ""},
        {Column::OrderCommand, ""},
        {Column::OrderT, "0"},
        {Column::LeaseSecond, "0"},
        {Column::RepeatMode, "0"},
        {Column::RepeatTimeDayMonthYearInSecond, "-1"},
        {Column::RepeatBiggerUnit, "0"},
        {Column::RepeatExcept, number(Connection::NoWork)},
        {Column::RepeatDetailDay, ""},
        {Column::From1970Seconds, "0"},
        {Column::ConditionSpeed, "-1"},
        {Column::EnableState, number(Connection::Enable)},
    };
}

Connection::Record TaskComposer::calendarColumns(CommissionType kind, int orderId, const CalendarChoice &choice)
{
    Connection::Record columns = initialColumns();
    columns[Column::OrderT] = number(orderId);
    columns[Column::TimerMode] = number(Connection::ToTarget);
    columns[Column::RepeatMode] = number(kind);
    columns[Column::LeaseSecond] = number(choice.timeOfDay);
    columns[Column::RepeatTimeDayMonthYearInSecond] = number(choice.timeOfDay);
    columns[Column::From1970Seconds] = number(FirstRunCalculator::epochSeconds(choice.firstRun, choice.timeOfDay));
    columns[Column::RepeatDetailDay] = choice.firstRun.toString(DateFormat::Date) + QLatin1Char(' ')
        + timeText(choice.timeOfDay);
    switch (kind) {
    case DayCommission:
        columns[Column::RepeatBiggerUnit] = QStringLiteral("0_0");
        columns[Column::RepeatExcept] = number(repeatExceptFor(choice.exceptSaturday, choice.exceptSunday));
        break;
    case WeekCommission:
        columns[Column::RepeatBiggerUnit] = number(choice.weekday);
        break;
    case MonthCommission:
        columns[Column::RepeatBiggerUnit] = number(choice.monthDay);
        break;
    case YearCommission:
        columns[Column::RepeatBiggerUnit] = QStringLiteral("%1_%2").arg(choice.month).arg(choice.day);
        break;
    default:
        columns[Column::RepeatBiggerUnit] = QStringLiteral("0");
        break;
    }
    columns[Column::Name] = calendarName(kind, orderId, choice);
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
        return QStringLiteral("%1 %2%3").arg(choice.firstRun.toString(DateFormat::Date), time, action);
    }
}

Connection::Record TaskComposer::conditionColumns(CommissionType kind, int orderId, const ConditionChoice &choice)
{
    Connection::Record columns = initialColumns();
    columns[Column::OrderT] = number(orderId);
    columns[Column::TimerMode] = number(timerModeOf(kind));
    const bool repeats = kind != FromNowCommission && !choice.onlyOnce;
    columns[Column::RepeatMode] = number(repeats ? Connection::More : Connection::Once);
    const qint64 hours = typedNumber(choice.hours);
    const qint64 minutes = typedNumber(choice.minutes);
    if (kind == FromNowCommission || kind == FromOnCommission || kind == FromUntilCommission)
        columns[Column::LeaseSecond] = number((hours * 60 + minutes) * 60);
    else
        columns[Column::LeaseSecond] = number(minutes * 60);
    if (kind == FromUploadCommission || kind == FromDownloadCommission)
        columns[Column::ConditionSpeed] = number(typedNumber(choice.rate));
    columns[Column::From1970Seconds] = QStringLiteral("0");
    columns[Column::Name] = conditionName(kind, orderId, choice);
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
        QStringLiteral("关机"),     QStringLiteral("重启"),     QStringLiteral("注销当前用户"),
        QStringLiteral("系统锁定"), QStringLiteral("睡眠"),     QStringLiteral("关闭显示器"),
        QStringLiteral("待机"),     QStringLiteral("运行软件"), QStringLiteral("打开网址"),
        QStringLiteral("打开文件"), QStringLiteral("关闭软件"), QStringLiteral("断开网络"),
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
        .arg(QDateTime::fromSecsSinceEpoch(from1970Seconds).toString(DateFormat::DateTime));
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
    if (isCalendarKind(kind) || columns.value(Column::LeaseSecond).toLongLong() > 0)
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
        Column::Name,
        Column::EngName,
        Column::OrderCommand,
        Column::OrderT,
        Column::LeaseSecond,
        Column::TimerMode,
        Column::RepeatMode,
        Column::RepeatTimeDayMonthYearInSecond,
        Column::RepeatBiggerUnit,
        Column::RepeatExcept,
        Column::RepeatDetailDay,
        Column::From1970Seconds,
        Column::ConditionSpeed,
    };
    Connection::Record record;
    for (const QString &key : keys)
        record.insert(key, columns.value(key));
    const Connection::OperationType type = operationTypeFor(columns.value(Column::OrderT).toInt());
    record.insert(Column::Position, type == Connection::None ? QString() : operand);
    record.insert(RecordKey::PositionId, positionId.isEmpty() ? QStringLiteral("-1") : positionId);
    record.insert(Column::OperationType, number(type));
    record.insert(Column::EnableState, number(Connection::Enable));
    if (!id.isEmpty())
        record.insert(Column::Id, id);
    return record;
}
