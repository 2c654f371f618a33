#include "schedule/TaskScheduler.h"

#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "schedule/DurationText.h"
#include "schedule/FirstRunCalculator.h"
#include "schedule/SchedulerClock.h"
#include "schedule/TaskTimer.h"
#include "schedule/TaskTimerFactory.h"
#include "storage/RecordKeys.h"

#include <QDebug>

#include <exception>

namespace {

qint64 field(const Connection::Record &record, const QString &column)
{
    return record.value(column).toLongLong(nullptr, 10);
}

// What the user is told when a task cannot be armed.
const char *const PastMomentReason = "执行时间等于或早于当前时间,命令不会执行";
const char *const PowerOnPassedReason = "电脑开机后的时间已超过任务设定的时间,命令不会执行";
const char *const ZeroPeriodReason = "任务的时间必须大于0,请先修改任务";
const char *const NoActionReason = "找不到任务要执行的操作,任务未启动";
const char *const NotListedReason = "任务已不存在,无法启动";

QString reasonText(const char *reason)
{
    return QString::fromUtf8(reason);
}

} // namespace

const QString TaskScheduler::IdleUndetectableReason = QStringLiteral("当前桌面无法检测空闲时间");

TaskScheduler::TaskScheduler(const Dependencies &dependencies, QObject *parent)
    : QObject(parent)
    , deps(dependencies)
{
    bootUptime = runSeconds = deps.clock->uptimeSeconds();
    lastInputMs = deps.clock->monotonicMs();
    loadPlans();
}

void TaskScheduler::loadPlans()
{
    plans = deps.connection->selectPlanList();
}

const Connection::RecordList &TaskScheduler::planList() const
{
    return plans;
}

int TaskScheduler::indexOfPlan(int id) const
{
    for (int row = 0; row < plans.size(); ++row) {
        if (field(plans.at(row), Column::Id) == id)
            return row;
    }
    return -1;
}

bool TaskScheduler::isArmed(int id) const
{
    return planTimers.contains(id);
}

bool TaskScheduler::isWaiting(int id) const
{
    return planTimers.contains(id) && (planTimers.value(id)->isActive() || warnings.contains(id));
}

qint64 TaskScheduler::bootUptimeSeconds() const
{
    return bootUptime;
}

qint64 TaskScheduler::idleSecondsCount() const
{
    return idleSeconds;
}

qint64 TaskScheduler::runSecondsCount() const
{
    return runSeconds;
}

bool TaskScheduler::detectsIdleness() const
{
    return idleDetectable;
}

void TaskScheduler::setIdleDetectable(bool detectable)
{
    if (idleDetectable == detectable)
        return;
    idleDetectable = detectable;
    if (detectable) {
        // Nobody knows what happened while the input was out of sight: count it as input.
        listenMouseNKeyboard();
        return;
    }
    qWarning() << "The desktop's idleness cannot be seen: idle tasks are refused and armed ones wait";
}

bool TaskScheduler::waitsForIdleness(int timerMode)
{
    switch (timerMode) {
    case Connection::ToTarget:
    case Connection::FromNow:
    case Connection::FromTurnOn:
    case Connection::FromTurnOnUntil:
    case Connection::FromNowInDownload:
    case Connection::FromNowInUpload:
        return false;
    default:
        return true;
    }
}

void TaskScheduler::handleOperaSliderSignal(int index, bool flag)
{
    if (flag)
        arm(index);
    else
        disarm(index);
}

void TaskScheduler::arm(int id)
{
    // Switching an armed task on again starts it afresh, without leaving its old timer or
    // threshold behind.
    disarm(id);
    const int row = indexOfPlan(id);
    if (row != -1 && !idleDetectable && waitsForIdleness(int(field(plans.at(row), Column::TimerMode)))) {
        // It would run while somebody works unseen.
        qWarning() << "Task" << id << "waits for idleness, which this desktop cannot report; not armed";
        refuse(id, IdleUndetectableReason);
        return;
    }
    planTimers.insert(id, deps.timers->create(this));
    if (row == -1) {
        qWarning() << "Task" << id << "is not in the task list; not armed";
        refuse(id, reasonText(NotListedReason));
        return;
    }
    startPlan(row, id);
}

void TaskScheduler::refuse(int id, const QString &reason)
{
    // Nothing is left armed, so the switch that asked can honestly go back off.
    disarm(id);
    emit armingRefused(id, reason);
}

QString TaskScheduler::periodRefusal(int id, int timerMode, qint64 leaseSecond) const
{
    if (timerMode == Connection::ToTarget || leaseSecond > 0)
        return QString();
    // Rows from older files may hold such a period: armed, it would run its action in a loop.
    qWarning() << "Task" << id << "has a period of" << leaseSecond << "s; a period must be above zero: not armed";
    return reasonText(ZeroPeriodReason);
}

void TaskScheduler::disarm(int id)
{
    closeWarning(id);
    if (downloadWatch.contains(id))
        deps.sampler->removeDownloadStandSpeed(downloadWatch.take(id).firstKey());
    else if (uploadWatch.contains(id))
        deps.sampler->removeUploadStandSpeed(uploadWatch.take(id).firstKey());
    TaskTimer *idleTimer = idleWatch.take(id);
    TaskTimer *timer = planTimers.take(id);
    if (armedTasks.remove(id) > 0)
        emit scheduleChanged();
    for (TaskTimer *stale : {timer, idleTimer}) {
        if (!stale)
            continue;
        stale->stop();
        stale->disconnect(this);
        stale->deleteLater();
        if (timer == idleTimer)
            break;
    }
}

void TaskScheduler::startPlan(int row, int id)
{
    const Connection::Record record = plans.value(row);
    Armed armed;
    armed.timer = planTimers.value(id);
    armed.timerMode = int(field(record, Column::TimerMode));
    armed.repeatMode = int(field(record, Column::RepeatMode));
    armed.threshold = int(field(record, Column::ConditionSpeed));
    const qint64 leaseSecond = field(record, Column::LeaseSecond);

    std::optional<ResolvedAction> action;
    try {
        action = deps.executor->resolveAction(record);
    } catch (const std::exception &error) {
        qCritical() << error.what();
    }
    if (!armed.timer)
        return;
    if (!action) {
        qWarning() << "Task" << id << "has no action in the catalogue; not armed";
        refuse(id, reasonText(NoActionReason));
        return;
    }
    armed.action = *action;
    const QString refusal = periodRefusal(id, armed.timerMode, leaseSecond);
    if (!refusal.isEmpty()) {
        refuse(id, refusal);
        return;
    }

    if (armed.timerMode == Connection::ToTarget && repeatsOnCalendar(armed.repeatMode))
        movePastNow(row, armed.repeatMode);
    armed.target = field(plans.value(row), Column::From1970Seconds);
    armed.periodMs = leaseSecond * 1000;
    armed.idleSince = deps.clock->monotonicMs();
    const qint64 interval = intervalSeconds(armed, leaseSecond);
    if (warnBeforeActions)
        armed.leadMs = LastWarningRules::leadMs(armed.action.actionId.toInt(), armed.timerMode,
                                                warningPeriodMs(armed, interval));
    if (armed.timerMode == Connection::ToTarget) {
        if (armed.target * 1000 - deps.clock->now().toMSecsSinceEpoch() < 1000) {
            qInfo() << "Task" << id << "is due at a moment already past; not started";
            refuse(id, reasonText(PastMomentReason));
            return;
        }
    } else if (interval < 0) {
        qInfo() << "Task" << id << "has a moment already past; not started";
        refuse(id, reasonText(PowerOnPassedReason));
        return;
    }

    watch(id, armed);
    armedTasks.insert(id, armed);
    TaskTimer *timer = armed.timer;
    connect(timer, &TaskTimer::timeout, this, [this, id, timer] { timerExpired(id, timer); });
    armedTasks[id].startedMs = deps.clock->monotonicMs();
    if (armed.timerMode == Connection::ToTarget)
        calendarCheck(id);
    else
        timer->start(interval * 1000 - armed.leadMs);
    emit scheduleChanged();
}

qint64 TaskScheduler::warningPeriodMs(const Armed &armed, qint64 intervalSeconds) const
{
    switch (armed.timerMode) {
    case Connection::ToTarget:
        return armed.target * 1000 - deps.clock->now().toMSecsSinceEpoch();
    case Connection::FromTurnOn:
    case Connection::FromTurnOnUntil:
        return intervalSeconds * 1000;
    default:
        return armed.periodMs;
    }
}

void TaskScheduler::watch(int id, const Armed &armed)
{
    switch (armed.timerMode) {
    case Connection::ToTarget:
    case Connection::FromNow:
    case Connection::FromTurnOn:
    case Connection::FromTurnOnUntil:
        return;
    case Connection::FromNowInDownload:
        downloadWatch.insert(id, {{armed.threshold, armed.timer}});
        deps.sampler->appendDownloadStandSpeed(armed.threshold);
        return;
    case Connection::FromNowInUpload:
        uploadWatch.insert(id, {{armed.threshold, armed.timer}});
        deps.sampler->appendUploadStandSpeed(armed.threshold);
        return;
    default:
        idleWatch.insert(id, armed.timer);
        return;
    }
}

qint64 TaskScheduler::intervalSeconds(const Armed &armed, qint64 leaseSecond) const
{
    switch (armed.timerMode) {
    case Connection::FromTurnOn: {
        const qint64 interval = leaseSecond - bootUptime;
        return interval == 0 ? 2 : interval;
    }
    case Connection::FromTurnOnUntil: {
        const qint64 sinceMidnight = deps.clock->now().time().msecsSinceStartOfDay() / 1000;
        return qMax<qint64>(1, leaseSecond - sinceMidnight);
    }
    default:
        return leaseSecond;
    }
}

void TaskScheduler::timerExpired(int id, TaskTimer *timer)
{
    if (!armedTasks.contains(id) || armedTasks.value(id).timer != timer)
        return;
    const Armed armed = armedTasks.value(id);
    switch (armed.timerMode) {
    case Connection::ToTarget:
        calendarCheck(id);
        return;
    case Connection::FromNow:
    case Connection::FromTurnOnUntil:
    case Connection::FromTurnOn:
    case Connection::FromNowInDownload:
    case Connection::FromNowInUpload:
        reachMoment(id, armed.leadMs);
        return;
    default:
        idleExpired(id);
        return;
    }
}

void TaskScheduler::reachMoment(int id, qint64 remainingMs)
{
    if (armedTasks.value(id).leadMs > 0 && remainingMs > 0)
        openWarning(id, remainingMs);
    else
        completeRun(id, true);
}

void TaskScheduler::completeRun(int id, bool runsAction)
{
    const Armed armed = armedTasks.value(id);
    switch (armed.timerMode) {
    case Connection::ToTarget:
        calendarRun(id, runsAction);
        return;
    case Connection::FromNow:
    case Connection::FromTurnOnUntil:
        finish(id);
        emit taskEnded(id);
        break;
    case Connection::FromTurnOn:
        finish(id);
        if (armed.repeatMode == Connection::More)
            arm(id);
        else
            emit taskEnded(id);
        break;
    default:
        disarm(id);
        if (runsAction)
            runAction(armed.action);
        if (armed.repeatMode == Connection::More)
            arm(id);
        else
            emit taskEnded(id);
        return;
    }
    if (runsAction)
        runAction(armed.action);
}

void TaskScheduler::openWarning(int id, qint64 remainingMs)
{
    Warning &warning = warnings[id];
    if (!warning.timer) {
        TaskTimer *timer = deps.timers->create(this);
        warning.timer = timer;
        connect(timer, &TaskTimer::timeout, this, [this, id, timer] {
            if (warnings.value(id).timer == timer)
                warningExpired(id);
        });
    }
    warning.dueMs = deps.clock->monotonicMs() + remainingMs;
    warning.postponed = false;
    warning.shown = warnBeforeActions;
    warning.timer->start(remainingMs);
    if (warning.shown)
        emit warningOpened(id);
}

void TaskScheduler::warningExpired(int id)
{
    Warning &warning = warnings[id];
    if (warning.postponed) {
        openWarning(id, warning.dueMs - deps.clock->monotonicMs());
        return;
    }
    closeWarning(id);
    completeRun(id, true);
}

void TaskScheduler::closeWarning(int id)
{
    if (!warnings.contains(id))
        return;
    const Warning warning = warnings.take(id);
    warning.timer->stop();
    warning.timer->disconnect(this);
    warning.timer->deleteLater();
    if (warning.shown)
        emit warningClosed(id);
}

void TaskScheduler::answerWarning(int id, LastWarningRules::Answer answer)
{
    if (!hasOpenWarning(id))
        return;
    switch (answer) {
    case LastWarningRules::RunNow:
        qInfo() << "Task" << id << "runs now at the user's word";
        closeWarning(id);
        completeRun(id, true);
        return;
    case LastWarningRules::SkipThisRun:
        qInfo() << "Task" << id << "skips this run at the user's word";
        closeWarning(id);
        completeRun(id, false);
        return;
    case LastWarningRules::Postpone: {
        Warning &warning = warnings[id];
        const qint64 now = deps.clock->monotonicMs();
        warning.dueMs = LastWarningRules::runMomentMs(answer, warning.dueMs, now);
        warning.postponed = true;
        // The postponed run warns again, a full lead before its new moment.
        warning.timer->start(qMax<qint64>(0, warning.dueMs - LastWarningRules::LeadMs - now));
        if (warning.shown) {
            warning.shown = false;
            emit warningClosed(id);
        }
        return;
    }
    case LastWarningRules::NoAnswer:
        return;
    }
}

bool TaskScheduler::hasOpenWarning(int id) const
{
    return warnings.contains(id) && !warnings.value(id).postponed;
}

qint64 TaskScheduler::warningRemainingMs(int id) const
{
    return qMax<qint64>(0, warnings.value(id).dueMs - deps.clock->monotonicMs());
}

QString TaskScheduler::warningText(int id) const
{
    return LastWarningRules::countdownText(armedTasks.value(id).action.actionId.toInt(), warningRemainingMs(id));
}

QString TaskScheduler::warningDescription(int id) const
{
    return plans.value(indexOfPlan(id)).value(Column::Name);
}

void TaskScheduler::setWarnBeforeActions(bool on)
{
    warnBeforeActions = on;
    if (on)
        return;
    // A run already announced keeps its moment; only its window goes.
    for (auto it = warnings.begin(); it != warnings.end(); ++it) {
        if (it->shown) {
            it->shown = false;
            emit warningClosed(it.key());
        }
    }
}

void TaskScheduler::calendarCheck(int id)
{
    const Armed armed = armedTasks.value(id);
    const qint64 waitMs = armed.target * 1000 - deps.clock->now().toMSecsSinceEpoch();
    const int row = indexOfPlan(id);
    // A daily task's exception day runs nothing, so there is nothing to warn of.
    const bool skipsRun = armed.repeatMode == Connection::EveryDay && row != -1
        && isExceptionDay(int(field(plans.at(row), Column::RepeatExcept)),
                          QDateTime::fromSecsSinceEpoch(armed.target).date().dayOfWeek());
    const qint64 leadMs = skipsRun ? 0 : armed.leadMs;
    if (waitMs > leadMs) {
        armed.timer->start(qMin<qint64>(waitMs - leadMs, CalendarCheckMs));
        return;
    }
    if (waitMs > 0) {
        openWarning(id, waitMs);
        return;
    }
    calendarDue(id, -waitMs);
}

void TaskScheduler::calendarDue(int id, qint64 lateMs)
{
    if (lateMs > MissedAfterMs) {
        const Armed armed = armedTasks.value(id);
        const bool repeats = repeatsOnCalendar(armed.repeatMode) && indexOfPlan(id) != -1;
        finish(id);
        qInfo() << "Task" << id << "missed its moment by" << lateMs / 1000 << "s (asleep or clock changed)";
        // A repeating task moves on to its next moment when it is armed again.
        if (repeats)
            arm(id);
        else
            emit taskEnded(id);
        return;
    }
    calendarRun(id, true);
}

void TaskScheduler::calendarRun(int id, bool runsAction)
{
    const Armed armed = armedTasks.value(id);
    const int row = indexOfPlan(id);
    const bool repeats = repeatsOnCalendar(armed.repeatMode) && row != -1;
    finish(id);
    if (!repeats) {
        emit taskEnded(id);
        if (runsAction)
            runAction(armed.action);
        return;
    }
    bool exceptionDay = false;
    if (armed.repeatMode == Connection::EveryDay) {
        const int weekday = deps.clock->now().date().dayOfWeek();
        storeNextRun(row, QDateTime::fromSecsSinceEpoch(armed.target).addDays(1));
        exceptionDay = isExceptionDay(int(field(plans.at(row), Column::RepeatExcept)), weekday);
    } else {
        const QDateTime after = qMax(deps.clock->now(), QDateTime::fromSecsSinceEpoch(armed.target));
        storeNextRun(row, nextRepeatRun(row, after));
    }
    arm(id);
    if (!exceptionDay && runsAction)
        runAction(armed.action);
}

bool TaskScheduler::isExceptionDay(int repeatExcept, int weekday)
{
    switch (repeatExcept) {
    case Connection::ExceptSat:
        return weekday == 6;
    case Connection::ExceptSun:
        return weekday == 7;
    case Connection::ExceptWeekend:
        return weekday == 6 || weekday == 7;
    default:
        return false;
    }
}

bool TaskScheduler::repeatsOnCalendar(int repeatMode)
{
    return repeatMode >= Connection::EveryDay && repeatMode <= Connection::EveryYear;
}

void TaskScheduler::movePastNow(int row, int repeatMode)
{
    const QDateTime now = deps.clock->now();
    QDateTime next = QDateTime::fromSecsSinceEpoch(field(plans.at(row), Column::From1970Seconds));
    if (next > now)
        return;
    if (repeatMode == Connection::EveryDay) {
        next = next.addDays(qMax<qint64>(0, next.daysTo(now)));
        while (next <= now)
            next = next.addDays(1);
    } else {
        next = nextRepeatRun(row, now);
        if (!next.isValid())
            return;
    }
    storeNextRun(row, next);
}

QDateTime TaskScheduler::nextRepeatRun(int row, const QDateTime &after) const
{
    const Connection::Record &plan = plans.at(row);
    const QDateTime previous = QDateTime::fromSecsSinceEpoch(field(plan, Column::From1970Seconds));
    // A calendar task keeps its time of day in lease_second; the stored moment stands in for it.
    qint64 timeOfDay = field(plan, Column::LeaseSecond);
    if (timeOfDay < 0 || timeOfDay >= 86400)
        timeOfDay = previous.time().msecsSinceStartOfDay() / 1000;
    const QString dayText = plan.value(Column::RepeatBiggerUnit);
    return FirstRunCalculator::nextRepeat(int(field(plan, Column::RepeatMode)), dayText, int(timeOfDay), after,
                                          previous.date());
}

void TaskScheduler::storeNextRun(int row, const QDateTime &next)
{
    Connection::Record &plan = plans[row];
    plan[Column::From1970Seconds] = QString::number(next.toSecsSinceEpoch());
    plan[Column::RepeatDetailDay] = next.toString(DateFormat::DateTime);
    // Only the two moved columns: a task removed or edited meanwhile keeps what it has.
    const Connection::Record update = {{Column::Id, plan.value(Column::Id)},
                                       {Column::From1970Seconds, plan.value(Column::From1970Seconds)},
                                       {Column::RepeatDetailDay, plan.value(Column::RepeatDetailDay)},
                                       {RecordKey::PositionId, QStringLiteral("-1")}};
    if (!deps.connection->updatePlan(update))
        qWarning() << "Cannot store the next run of task" << plan.value(Column::Id);
    emit nextRunStored(int(field(plan, Column::Id)));
}

void TaskScheduler::idleExpired(int id)
{
    const Armed armed = armedTasks.value(id);
    const qint64 warnAfterMs = armed.periodMs - armed.leadMs;
    if (!idleDetectable) {
        armed.timer->start(warnAfterMs);
        return;
    }
    const qint64 now = deps.clock->monotonicMs();
    const qint64 idleFor = now - qMax(armed.idleSince, lastInputMs);
    if (idleFor < warnAfterMs) {
        // Input came while it waited: wait out the rest of a full period since that input.
        armed.timer->start(warnAfterMs - idleFor);
        return;
    }
    reachMoment(id, armed.periodMs - idleFor);
}

void TaskScheduler::finish(int id)
{
    closeWarning(id);
    TaskTimer *timer = planTimers.take(id);
    if (!timer)
        return;
    timer->stop();
    armedTasks.remove(id);
    timer->disconnect(this);
    timer->deleteLater();
    emit scheduleChanged();
}

int TaskScheduler::nextDueTask(QDateTime *moment) const
{
    const QDateTime now = deps.clock->now();
    const qint64 monotonicNow = deps.clock->monotonicMs();
    int first = -1;
    QDateTime firstMoment;
    for (auto it = armedTasks.cbegin(); it != armedTasks.cend(); ++it) {
        const Armed &armed = it.value();
        if (!isWaiting(it.key()))
            continue;
        QDateTime due;
        if (warnings.contains(it.key()))
            due = now.addMSecs(warnings.value(it.key()).dueMs - monotonicNow);
        else if (armed.timerMode == Connection::ToTarget)
            due = QDateTime::fromSecsSinceEpoch(armed.target);
        else
            due = now.addMSecs(dueMonotonicMs(armed) - monotonicNow);
        if (first == -1 || due < firstMoment || (due == firstMoment && it.key() < first)) {
            first = it.key();
            firstMoment = due;
        }
    }
    if (moment)
        *moment = firstMoment;
    return first;
}

qint64 TaskScheduler::dueMonotonicMs(const Armed &armed) const
{
    if (waitsForIdleness(armed.timerMode))
        return qMax(armed.idleSince, lastInputMs) + armed.periodMs;
    return armed.startedMs + armed.timer->interval() + armed.leadMs;
}

void TaskScheduler::runAction(const ResolvedAction &action)
{
    deps.executor->run(action);
}

void TaskScheduler::changeSecondToHour()
{
    ++idleSeconds;
    emit idleTimeText(DurationText::hoursMinutesSeconds(idleSeconds));
    ++runSeconds;
    emit runTimeText(DurationText::hoursMinutesSeconds(runSeconds));
}

void TaskScheduler::listenMouseNKeyboard()
{
    // Idle timers compare with this when they expire, so an input event costs the same however
    // many idle tasks are armed.
    idleSeconds = 0;
    lastInputMs = deps.clock->monotonicMs();
    if (warnings.isEmpty())
        return;
    // Somebody is there after all: an idle task's announced run is off, its count starts again.
    const QList<int> ids = warnings.keys();
    for (int id : ids) {
        const Armed armed = armedTasks.value(id);
        if (!waitsForIdleness(armed.timerMode) || warnings.value(id).postponed)
            continue;
        closeWarning(id);
        armed.timer->start(armed.periodMs - armed.leadMs);
    }
}

void TaskScheduler::rateReached(int id, TaskTimer *timer)
{
    if (warnings.contains(id)) {
        // A postponed run no longer waits for the rate; an announced one is off.
        if (warnings.value(id).postponed)
            return;
        closeWarning(id);
    }
    armedTasks[id].startedMs = deps.clock->monotonicMs();
    timer->restart();
}

void TaskScheduler::overspeedMethod(int speed)
{
    for (auto watched = downloadWatch.cbegin(); watched != downloadWatch.cend(); ++watched) {
        if (TaskTimer *timer = watched.value().value(speed))
            rateReached(watched.key(), timer);
    }
}

void TaskScheduler::overspeedOfUploadMethod(int speed)
{
    for (auto watched = uploadWatch.cbegin(); watched != uploadWatch.cend(); ++watched) {
        if (TaskTimer *timer = watched.value().value(speed))
            rateReached(watched.key(), timer);
    }
}

void TaskScheduler::recheckCalendarTasks()
{
    const QList<int> ids = armedTasks.keys();
    for (int id : ids) {
        const Armed armed = armedTasks.value(id);
        if (armed.timerMode != Connection::ToTarget || !planTimers.contains(id))
            continue;
        if (hasOpenWarning(id)) {
            // Slept through the warning: the moment is measured on the wall clock again, and
            // a moment slept through is missed as always.
            closeWarning(id);
            calendarCheck(id);
        } else if (armed.timer->isActive()) {
            calendarCheck(id);
        }
    }
}
