#pragma once

#include "storage/Connection.h"

#include <QDate>
#include <QString>

// Turns the task editor's choices into a task's columns, its one-line description and the
// record that is saved. Every operation is pure: the editor only gathers the choices.
class TaskComposer
{
public:
    enum CommissionType {
        OnceCommission = 0,
        DayCommission = 1,
        WeekCommission = 2,
        MonthCommission = 3,
        YearCommission = 4,
        FromNowCommission = 5,
        FromOnCommission = 6,
        FromUntilCommission = 7,
        FromUploadCommission = 8,
        FromDownloadCommission = 9,
        FreeCommission = 10
    };

    // What the user chose for a calendar kind (once, daily, weekly, monthly, yearly).
    struct CalendarChoice
    {
        QDate firstRun;              // the first-run date already computed for the kind
        int timeOfDay = 0;           // seconds after midnight
        int weekday = 1;             // weekly: 1 Monday .. 7 Sunday
        int monthDay = 1;            // monthly
        int month = 1;               // yearly
        int day = 1;                 // yearly
        bool exceptSaturday = false; // daily
        bool exceptSunday = false;   // daily
    };

    // What the user typed for a condition kind; texts are kept as typed.
    struct ConditionChoice
    {
        QString hours;
        QString minutes;
        QString rate;
        bool onlyOnce = false;
    };

    static bool isCalendarKind(int kind);
    static bool allowsOnlyOnce(int kind);
    static int timerModeOf(int kind);

    // The columns of a new editor before any kind is chosen.
    static Connection::Record initialColumns();
    static Connection::Record calendarColumns(CommissionType kind, int orderId, const CalendarChoice &choice);
    static Connection::Record conditionColumns(CommissionType kind, int orderId, const ConditionChoice &choice);

    static QString actionName(int orderId);
    static QString weekdayName(int weekday);
    // "执行时间为:<first run>", or empty text when there is no computed first run.
    static QString executionLine(qint64 from1970Seconds);
    static Connection::OperationType operationTypeFor(int orderId);
    // A typed number; text that is not a number counts as 0.
    static qint64 typedNumber(const QString &text);
    // A typed number as the description shows it: digits as typed (01 stays 01), anything
    // else as the number it counts as, so the description never claims what was not stored.
    static QString shownNumber(const QString &text);
    // Why a condition task with these columns cannot be saved (a period of zero or less), as
    // the user is told it; empty when it can. Calendar kinds have no period.
    static QString periodProblem(int kind, const Connection::Record &columns);

    // The record handed to insertPlan (no id) or updatePlan (with the edited task's id).
    // positionId is the edited task's operand row, or "-1" for a new task.
    static Connection::Record saveRecord(const Connection::Record &columns, const QString &operand,
                                         const QString &positionId, const QString &id = QString());

private:
    static QString calendarName(CommissionType kind, int orderId, const CalendarChoice &choice);
    static QString conditionName(CommissionType kind, int orderId, const ConditionChoice &choice);
};
