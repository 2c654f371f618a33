#include "log_ui/LogPeriods.h"

#include "storage/RecordKeys.h"

namespace {

QString seconds(const QDateTime &moment)
{
    return QString::number(moment.toSecsSinceEpoch());
}

int secondsIntoDay(const QDateTime &now)
{
    return now.time().msecsSinceStartOfDay() / 1000;
}

} // namespace

LogPeriods::Filter LogPeriods::between(const QDateTime &start, const QDateTime &end)
{
    return {{QStringLiteral("start_timestamp"), seconds(start)}, {QStringLiteral("end_timestamp"), seconds(end)}};
}

LogPeriods::Filter LogPeriods::all()
{
    return {{Column::Timestamp, QStringLiteral("0")}};
}

LogPeriods::Filter LogPeriods::thisMonth(const QDateTime &now)
{
    const QDate today = now.date();
    const QString year = QString::number(today.year());
    const QString month = QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0'));
    const QDateTime start = QDateTime::fromString(QStringLiteral("%1-%2-01 00:00:00").arg(year, month),
                                                  DateFormat::DateTime);
    const QDateTime end = QDateTime::fromString(
        QStringLiteral("%1-%2-%3 23:59:59").arg(year, month).arg(today.daysInMonth()), DateFormat::DateTime);
    return between(start, end);
}

LogPeriods::Filter LogPeriods::thisWeek(const QDateTime &now)
{
    const int weekday = now.date().dayOfWeek();
    const int elapsed = secondsIntoDay(now);
    return between(now.addDays(1 - weekday).addSecs(-elapsed), now.addDays(7 - weekday).addSecs(86400 - elapsed - 1));
}

LogPeriods::Filter LogPeriods::yesterday(const QDateTime &now)
{
    const int elapsed = secondsIntoDay(now);
    return between(now.addDays(-1).addSecs(-elapsed), now.addDays(-1).addSecs(86400 - elapsed - 1));
}

LogPeriods::Filter LogPeriods::today(const QDateTime &now)
{
    return {{Column::Timestamp, seconds(now.addSecs(-secondsIntoDay(now)))}};
}

LogPeriods::Filter LogPeriods::range(const QDate &start, const QDate &end)
{
    return between(QDateTime(start, QTime::fromString(QStringLiteral("00:00:00"), DateFormat::Time)),
                   QDateTime(end, QTime::fromString(QStringLiteral("23:59:59"), DateFormat::Time)));
}
