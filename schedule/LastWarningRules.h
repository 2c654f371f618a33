#pragma once

#include <QString>
#include <QtGlobal>

// When a disruptive action warns before it runs, and what the user's answer to the warning
// does. The warning only announces a moment the scheduler has already fixed: it never moves
// the action unless the user asks for that.
class LastWarningRules final
{
public:
    // What the user answered in the warning window.
    enum Answer { NoAnswer, RunNow, Postpone, SkipThisRun };

    static constexpr qint64 LeadMs = 60 * 1000;
    // Periods shorter than this warn for half their length instead.
    static constexpr qint64 ShortPeriodMs = 2 * LeadMs;
    static constexpr qint64 PostponeMs = 10 * 60 * 1000;

    // Shut down, restart, log off, sleep, stand-by and disconnect warn; the others do not.
    static bool warnsBefore(int orderId);
    // How long before its moment the task's warning shows; 0 for no warning. `periodMs` is
    // the countdown, idle or rate period, or for the other triggers the wait from arming.
    static qint64 leadMs(int orderId, int timerMode, qint64 periodMs);
    // "将在 59 秒后关机": the remaining time rounded up, so it never shows 0 before the run.
    static QString countdownText(int orderId, qint64 remainingMs);
    // The moment the action runs after `answer`, given the moment it was due and now; -1 when
    // it does not run this time.
    static qint64 runMomentMs(Answer answer, qint64 dueMs, qint64 nowMs);
    // Whether the answer ends this run at once (the task moves on to its next run now).
    static bool endsRunAtOnce(Answer answer);
};
