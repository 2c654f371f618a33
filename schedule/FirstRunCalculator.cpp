#include "schedule/FirstRunCalculator.h"

#include "storage/Connection.h"

#include <QStringList>
#include <QTimeZone>

namespace {
const int Saturday = 6;
const int Sunday = 7;
}

FirstRunCalculator::ExceptDay FirstRunCalculator::exceptDayFor(bool saturday, bool sunday)
{
    if (saturday && sunday)
        return ExceptAll;
    if (sunday)
        return ExceptSun;
    if (saturday)
        return ExceptSat;
    return ExceptWithout;
}

int FirstRunCalculator::exceptionShift(ExceptDay flags, int weekday)
{
    if (flags == ExceptWithout || weekday < Saturday)
        return 0;
    switch (flags) {
    case ExceptAll:
        return weekday == Saturday ? 2 : 1;
    case ExceptSat:
        return weekday == Saturday ? 1 : 0;
    case ExceptSun:
        return weekday == Sunday ? 1 : 0;
    default:
        return 0;
    }
}

bool FirstRunCalculator::stillAhead(int timeOfDay, const QDateTime &now)
{
    return timeOfDay > now.time().msecsSinceStartOfDay() / 1000;
}

QDate FirstRunCalculator::once(const QDate &chosen)
{
    return chosen;
}

QDate FirstRunCalculator::daily(int timeOfDay, const QDateTime &now, ExceptDay flags)
{
    const QDate today = now.date();
    const QDate candidate = stillAhead(timeOfDay, now) ? today : today.addDays(1);
    return candidate.addDays(exceptionShift(flags, candidate.dayOfWeek()));
}

QDate FirstRunCalculator::weekly(int weekday, int timeOfDay, const QDateTime &now)
{
    const QDate today = now.date();
    const int current = today.dayOfWeek();
    if (weekday > current)
        return today.addDays(weekday - current);
    if (weekday == current)
        return stillAhead(timeOfDay, now) ? today : today.addDays(7);
    return today.addDays(7 - (current - weekday));
}

QDate FirstRunCalculator::clampedDate(int year, int month, int day)
{
    const QDate first(year, month, 1);
    return QDate(year, month, qMin(day, first.daysInMonth()));
}

QDate FirstRunCalculator::monthly(int monthDay, int timeOfDay, const QDateTime &now)
{
    const QDate today = now.date();
    const QDate thisMonth = clampedDate(today.year(), today.month(), monthDay);
    if (thisMonth > today || (thisMonth == today && stillAhead(timeOfDay, now)))
        return thisMonth;
    const QDate nextMonth = QDate(today.year(), today.month(), 1).addMonths(1);
    return clampedDate(nextMonth.year(), nextMonth.month(), monthDay);
}

QDate FirstRunCalculator::yearly(int month, int day, int timeOfDay, const QDateTime &now)
{
    const QDate today = now.date();
    const QDate thisYear = clampedDate(today.year(), month, day);
    if (thisYear > today || (thisYear == today && stillAhead(timeOfDay, now)))
        return thisYear;
    return clampedDate(today.year() + 1, month, day);
}

qint64 FirstRunCalculator::epochSeconds(const QDate &date, int timeOfDay)
{
    const QDateTime moment(date, QTime(0, 0).addSecs(timeOfDay), Qt::LocalTime);
    if (moment.isValid() && moment.time() == QTime(0, 0).addSecs(timeOfDay))
        return moment.toSecsSinceEpoch();
    return QDateTime(date, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch() + timeOfDay;
}

QDateTime FirstRunCalculator::nextRepeat(int repeatMode, const QString &dayText, int timeOfDay, const QDateTime &after,
                                         const QDate &previous)
{
    const QStringList parts = dayText.split(QLatin1Char('_'));
    bool firstRead = false;
    bool secondRead = false;
    const int first = parts.value(0).toInt(&firstRead);
    const int second = parts.value(1).toInt(&secondRead);
    QDate date;
    if (repeatMode == Connection::EveryWeek) {
        if (firstRead && first >= 1 && first <= 7)
            date = weekly(first, timeOfDay, after);
        else if (previous.isValid())
            date = weekly(previous.dayOfWeek(), timeOfDay, after);
    } else if (repeatMode == Connection::EveryMonth) {
        if (firstRead && first >= 1 && first <= 31)
            date = monthly(first, timeOfDay, after);
        else if (previous.isValid())
            date = monthly(previous.day(), timeOfDay, after);
    } else if (repeatMode == Connection::EveryYear) {
        if (parts.size() == 2 && firstRead && secondRead && first >= 1 && first <= 12 && second >= 1 && second <= 31)
            date = yearly(first, second, timeOfDay, after);
        else if (previous.isValid())
            date = yearly(previous.month(), previous.day(), timeOfDay, after);
    }
    if (!date.isValid())
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(epochSeconds(date, timeOfDay));
}
