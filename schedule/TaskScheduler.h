#pragma once

#include "actions/ResolvedAction.h"
#include "schedule/LastWarningRules.h"
#include "storage/Connection.h"

#include <QHash>
#include <QMap>
#include <QObject>

class ActionExecutor;
class NetInfoThread;
class SchedulerClock;
class TaskTimer;
class TaskTimerFactory;

// Decides when each switched-on task runs its action: one timer per armed task, restarted by
// the monitors for rate and idle tasks, and the idle and running-time counters of the tab.
class TaskScheduler final : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        Connection *connection = nullptr;
        ActionExecutor *executor = nullptr;
        NetInfoThread *sampler = nullptr;
        TaskTimerFactory *timers = nullptr;
        SchedulerClock *clock = nullptr;
    };

    // A calendar task looks at the wall clock at least this often while it waits.
    static constexpr int CalendarCheckMs = 60 * 1000;
    // A moment passed by more than this (slept through, clock set past it) is missed.
    static constexpr int MissedAfterMs = 90 * 1000;
    // Why an idle task is refused where the desktop's idleness cannot be seen.
    static const QString IdleUndetectableReason;

    TaskScheduler(const Dependencies &dependencies, QObject *parent);

    // Reads the task list again; armed tasks keep their timers.
    void loadPlans();
    const Connection::RecordList &planList() const;
    int indexOfPlan(int id) const;
    void startPlan(int row, int id);

    bool isArmed(int id) const;
    bool isWaiting(int id) const;
    qint64 bootUptimeSeconds() const;
    qint64 idleSecondsCount() const;
    qint64 runSecondsCount() const;
    bool detectsIdleness() const;

    // The last warning before a disruptive action: while one is open for a task, these say
    // what it announces. The text counts down on the scheduler's clock.
    bool hasOpenWarning(int id) const;
    QString warningText(int id) const;
    QString warningDescription(int id) const;
    qint64 warningRemainingMs(int id) const;
    // The armed task that runs first, and when (an idle or rate task: if its condition holds
    // on); -1 when nothing is armed.
    int nextDueTask(QDateTime *moment) const;

public slots:
    void handleOperaSliderSignal(int index, bool flag);
    void changeSecondToHour();
    void listenMouseNKeyboard();
    void overspeedMethod(int speed);
    void overspeedOfUploadMethod(int speed);
    // The computer woke up or the clock may have moved: look at every calendar task now.
    void recheckCalendarTasks();
    // Whether a stretch without input really means nobody is at the computer. While it does
    // not, idle tasks are refused and armed ones wait; regaining sight counts as input.
    void setIdleDetectable(bool detectable);
    // Whether disruptive actions warn before they run. Tasks switched on from now on warn; a
    // task already waiting keeps its moment, and with the choice off its warning stays hidden.
    void setWarnBeforeActions(bool on);
    // The user's answer to the open warning of a task.
    void answerWarning(int id, LastWarningRules::Answer answer);

signals:
    void idleTimeText(const QString &text);
    void runTimeText(const QString &text);
    // The task could not be armed; `reason` tells the user why. Its switch stays off.
    void armingRefused(int id, const QString &reason);
    // An armed task has run (or missed its moment) and is not armed again: its switch goes off.
    void taskEnded(int id);
    // A repeating calendar task's next run was stored; its row may show the new moment.
    void nextRunStored(int id);
    // A warning window should show for the task, or go away (answered, run, input, switched off).
    void warningOpened(int id);
    void warningClosed(int id);
    // A task was armed, disarmed or ran: the next task due may have changed.
    void scheduleChanged();

private:
    struct Armed
    {
        TaskTimer *timer = nullptr;
        int timerMode = 0;
        int repeatMode = 0;
        qint64 target = 0;    // calendar tasks: seconds since the epoch
        qint64 periodMs = 0;  // idle tasks
        qint64 idleSince = 0; // idle tasks: monotonic ms of arming
        int threshold = 0;    // rate tasks
        qint64 leadMs = 0;    // the warning comes this long before the action; 0 for none
        qint64 startedMs = 0; // monotonic ms of the last start of a period or countdown
        ResolvedAction action;
    };
    // A run that has reached its warning: the task's own timer rests meanwhile.
    struct Warning
    {
        TaskTimer *timer = nullptr;
        qint64 dueMs = 0; // monotonic ms of the run
        bool postponed = false;
        bool shown = false;
    };

    void arm(int id);
    void disarm(int id);
    void refuse(int id, const QString &reason);
    // Why a task read from the list cannot be armed as it stands; empty when it can.
    QString periodRefusal(int id, int timerMode, qint64 leaseSecond) const;
    void watch(int id, const Armed &armed);
    qint64 intervalSeconds(const Armed &armed, qint64 leaseSecond) const;
    void timerExpired(int id, TaskTimer *timer);
    void calendarCheck(int id);
    void calendarDue(int id, qint64 lateMs);
    void idleExpired(int id);
    // The task's condition holds: warn first where it should, else run.
    void reachMoment(int id, qint64 remainingMs);
    void openWarning(int id, qint64 remainingMs);
    void warningExpired(int id);
    void closeWarning(int id);
    // The run's own bookkeeping (switch off, move on, arm again), with or without the action.
    void completeRun(int id, bool runsAction);
    void calendarRun(int id, bool runsAction);
    void rateReached(int id, TaskTimer *timer);
    qint64 dueMonotonicMs(const Armed &armed) const;
    qint64 warningPeriodMs(const Armed &armed, qint64 intervalSeconds) const;
    void finish(int id);
    void runAction(const ResolvedAction &action);
    // Moves a repeating calendar task's stored time on to its first moment after now.
    void movePastNow(int row, int repeatMode);
    // The run of a weekly, monthly or yearly task that follows `after`.
    QDateTime nextRepeatRun(int row, const QDateTime &after) const;
    void storeNextRun(int row, const QDateTime &next);
    static bool isExceptionDay(int repeatExcept, int weekday);
    static bool waitsForIdleness(int timerMode);
    static bool repeatsOnCalendar(int repeatMode);

    Dependencies deps;
    Connection::RecordList plans;
    QMap<int, TaskTimer *> planTimers;
    QMap<int, QMap<int, TaskTimer *>> downloadWatch;
    QMap<int, QMap<int, TaskTimer *>> uploadWatch;
    QMap<int, TaskTimer *> idleWatch;
    QHash<int, Armed> armedTasks;
    QHash<int, Warning> warnings;
    qint64 bootUptime = 0;
    qint64 runSeconds = 0;
    qint64 idleSeconds = 0;
    qint64 lastInputMs = 0;
    bool idleDetectable = true;
    bool warnBeforeActions = false;
};
