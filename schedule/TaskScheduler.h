#pragma once

#include "actions/ResolvedAction.h"
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

signals:
    void idleTimeText(const QString &text);
    void runTimeText(const QString &text);
    // The task could not be armed; `reason` tells the user why. Its switch stays off.
    void armingRefused(int id, const QString &reason);
    // An armed task has run (or missed its moment) and is not armed again: its switch goes off.
    void taskEnded(int id);
    // A repeating calendar task's next run was stored; its row may show the new moment.
    void nextRunStored(int id);

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
        ResolvedAction action;
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
    qint64 bootUptime = 0;
    qint64 runSeconds = 0;
    qint64 idleSeconds = 0;
    qint64 lastInputMs = 0;
    bool idleDetectable = true;
};
