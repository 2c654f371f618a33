#pragma once

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>

// The power-history filters of the log tab's periods, from a given "now" (local time).
class LogPeriods final
{
public:
    using Filter = QMap<QString, QString>;

    static Filter all();
    static Filter thisMonth(const QDateTime &now);
    static Filter thisWeek(const QDateTime &now);
    static Filter yesterday(const QDateTime &now);
    static Filter today(const QDateTime &now);
    static Filter range(const QDate &start, const QDate &end);

private:
    static Filter between(const QDateTime &start, const QDateTime &end);
};
