#pragma once

#include <QDate>
#include <QDateTime>

// The first moment a calendar task runs, from the user's choices and the current local time.
// Weekdays are numbered 1 (Monday) to 7 (Sunday) throughout.
class FirstRunCalculator final
{
public:
    enum ExceptDay { ExceptWithout = 1, ExceptSat = 2, ExceptSun = 4, ExceptAll = 8 };

    static ExceptDay exceptDayFor(bool saturday, bool sunday);
    // Days to move a candidate date on so that it is not an excepted day: 0, 1 or 2.
    static int exceptionShift(ExceptDay flags, int weekday);
    // Whether the time of day t (seconds after midnight) is strictly later than now's.
    static bool stillAhead(int timeOfDay, const QDateTime &now);

    static QDate once(const QDate &chosen);
    static QDate daily(int timeOfDay, const QDateTime &now, ExceptDay flags);
    static QDate weekly(int weekday, int timeOfDay, const QDateTime &now);
    // A day the target month lacks lands on that month's last day.
    static QDate monthly(int monthDay, int timeOfDay, const QDateTime &now);
    static QDate yearly(int month, int day, int timeOfDay, const QDateTime &now);

    // The next run of a weekly, monthly or yearly task strictly after `after`: its day comes
    // from the stored day text ("1" to "7", "1" to "31", "month_day"), read against the last
    // run `previous` when the text does not read. Invalid for any other repeat mode.
    static QDateTime nextRepeat(int repeatMode, const QString &dayText, int timeOfDay, const QDateTime &after,
                                const QDate &previous);

    // The local date-time "date t" as seconds since the epoch; a clock time that a
    // daylight-saving change skips counts from midnight, as the plain sum would.
    static qint64 epochSeconds(const QDate &date, int timeOfDay);
    // The date with the given day, or the month's last day when it is shorter.
    static QDate clampedDate(int year, int month, int day);
};
