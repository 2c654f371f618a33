#include "SchedulerHarness.h"
#include "schedule/DurationText.h"
#include "schedule/SystemTaskTimer.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;

namespace {

// Wednesday morning.
const QDateTime Start(QDate(2026, 12, 9), QTime(10, 0, 0));

Record condition(TC::CommissionType kind, int orderId, const QString &hours, const QString &minutes,
                 const QString &rate = QString(), bool onlyOnce = false)
{
    return TC::conditionColumns(kind, orderId, {hours, minutes, rate, onlyOnce});
}

Record calendarAt(TC::CommissionType kind, const QDateTime &firstRun, int orderId = 0, bool exceptSaturday = false)
{
    TC::CalendarChoice choice;
    choice.firstRun = firstRun.date();
    choice.timeOfDay = firstRun.time().msecsSinceStartOfDay() / 1000;
    choice.weekday = firstRun.date().dayOfWeek();
    choice.monthDay = choice.day = firstRun.date().day();
    choice.month = firstRun.date().month();
    choice.exceptSaturday = exceptSaturday;
    return TC::calendarColumns(kind, orderId, choice);
}

} // namespace

class TestScheduler : public QObject, private SchedulerHarness
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nothingIsArmedAtStartAndTheSeedTaskWaitsTenIdleMinutes();
    void countdownRunsFromTheSwitchNotFromCreation();
    void calendarTaskFiresAtItsMomentAndNeverWhenPast_data();
    void calendarTaskFiresAtItsMomentAndNeverWhenPast();
    void afterPowerOnTasks_data();
    void afterPowerOnTasks();
    void idleTaskIsHeldOffByInput();
    void idleTaskIsRefusedWhereIdlenessCannotBeSeen();
    void armedIdleTaskWaitsWhileIdlenessIsOutOfSight();
    void downloadTaskIsRestartedAtExactlyItsThreshold();
    void everyTaskSharingAThresholdIsRestarted();
    void disarmingTakesExactlyItsOwnThreshold();
    void switchingAnArmedTaskOnAgainLeavesNothingBehind();
    void dailyTaskSkipsItsExceptionDayAndRearmsAfterRunning();
    void calendarTaskSwitchedOnAfterItsMomentMovesOn_data();
    void calendarTaskSwitchedOnAfterItsMomentMovesOn();
    void fortyDayTaskDoesNotFireEarly();
    void longWaitsAreSteppedAndNeverEarly();
    void momentSleptThroughIsMissed_data();
    void momentSleptThroughIsMissed();
    void clockSetForwardOntoTheMomentFiresAtOnceOnWake();
    void repeatingRateTaskIsWatchedAgainAfterFiring();
    void periodOfZeroOrLessIsNeverArmed_data();
    void periodOfZeroOrLessIsNeverArmed();
    void repeatingCalendarTasksStoreTheirNextRunAndRunAgain_data();
    void repeatingCalendarTasksStoreTheirNextRunAndRunAgain();
    void tasksThatAreNotArmedAgainSayTheyEnded_data();
    void tasksThatAreNotArmedAgainSayTheyEnded();
    void countersTickAndInputResetsIdle();
    void operandTaskRunsItsOperand();

private:
    Record storedTask(int id);
};

void TestScheduler::init()
{
    QVERIFY(setUpScheduler(Start));
}

void TestScheduler::cleanup()
{
    tearDownScheduler();
}

Record TestScheduler::storedTask(int id)
{
    return connection->selectPlan({{"id", QString::number(id)}}).value(0);
}

void TestScheduler::nothingIsArmedAtStartAndTheSeedTaskWaitsTenIdleMinutes()
{
    QCOMPARE(scheduler->planList().size(), 1);
    QVERIFY(!scheduler->isArmed(0));
    QCOMPARE(time->activeTimers(), 0);
    scheduler->handleOperaSliderSignal(0, true);
    QVERIFY(scheduler->isWaiting(0));
    time->advanceSeconds(599);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"display off"});
    // It repeats: watching again for the next ten idle minutes.
    QVERIFY(scheduler->isWaiting(0));
    time->advanceSeconds(600);
    QCOMPARE(log.calls.size(), 2);
}

void TestScheduler::countdownRunsFromTheSwitchNotFromCreation()
{
    const int id = addTask(condition(TC::FromNowCommission, 1, "1", "0"));
    time->advanceSeconds(1000);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(3599);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -r "});
    QVERIFY(!scheduler->isArmed(id));
    time->advanceSeconds(7200);
    QCOMPARE(log.calls.size(), 1);
}

void TestScheduler::calendarTaskFiresAtItsMomentAndNeverWhenPast_data()
{
    QTest::addColumn<int>("secondsAhead");
    QTest::addColumn<bool>("fires");
    QTest::newRow("ten seconds ahead") << 10 << true;
    QTest::newRow("at its moment") << 0 << false;
    QTest::newRow("past") << -30 << false;
}

void TestScheduler::calendarTaskFiresAtItsMomentAndNeverWhenPast()
{
    QFETCH(int, secondsAhead);
    QFETCH(bool, fires);
    const int id = addTask(calendarAt(TC::OnceCommission, Start.addSecs(secondsAhead)));
    QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
    scheduler->handleOperaSliderSignal(id, true);
    QCOMPARE(scheduler->isWaiting(id), fires);
    QCOMPARE(refused.size(), fires ? 0 : 1);
    if (!fires)
        QCOMPARE(refused.first().at(1).toString(), QStringLiteral("执行时间等于或早于当前时间,命令不会执行"));
    time->advanceSeconds(qMax(secondsAhead, 0) - 1);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(3600);
    QCOMPARE(log.calls, fires ? QStringList{"interpreter: shutdown -s -f"} : QStringList{});
}

void TestScheduler::afterPowerOnTasks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("hoursMinutes");
    QTest::addColumn<bool>("onlyOnce");
    QTest::addColumn<int>("firesAfter");
    QTest::addColumn<int>("repeatsAfter");
    // After power-on or until a running time; the machine has been on for 5000 s, it is 10:00.
    const int on = TC::FromOnCommission;
    const int until = TC::FromUntilCommission;
    QTest::newRow("on, at the uptime") << on << QStringList{"0", "0"} << true << 2 << 0;
    QTest::newRow("on, in 2380 s") << on << QStringList{"2", "3"} << true << 2380 << 0;
    QTest::newRow("on, every 2380 s") << on << QStringList{"2", "3"} << false << 2380 << 2380;
    QTest::newRow("on, already passed") << on << QStringList{"1", "0"} << true << -1 << 0;
    QTest::newRow("until 08:00, passed") << until << QStringList{"8", "0"} << false << 1 << 0;
    QTest::newRow("until 11:00") << until << QStringList{"11", "0"} << false << 3600 << 0;
}

void TestScheduler::afterPowerOnTasks()
{
    QFETCH(int, kind);
    QFETCH(QStringList, hoursMinutes);
    QFETCH(bool, onlyOnce);
    QFETCH(int, firesAfter);
    QFETCH(int, repeatsAfter);
    Record columns = condition(TC::CommissionType(kind), 3, hoursMinutes.at(0), hoursMinutes.at(1), QString(),
                               onlyOnce);
    if (hoursMinutes == QStringList{"0", "0"})
        columns["lease_second"] = QString::number(scheduler->bootUptimeSeconds());
    const int id = addTask(columns);
    scheduler->handleOperaSliderSignal(id, true);
    if (firesAfter < 0) {
        QVERIFY(!scheduler->isWaiting(id));
        time->advanceSeconds(100000);
        QVERIFY(log.calls.isEmpty());
        return;
    }
    time->advanceSeconds(firesAfter - 1);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"interpreter: rundll32.exe user32.dll LockWorkStation"});
    QCOMPARE(scheduler->isWaiting(id), repeatsAfter > 0);
    if (repeatsAfter > 0) {
        time->advanceSeconds(repeatsAfter);
        QCOMPARE(log.calls.size(), 2);
    }
}

void TestScheduler::idleTaskIsHeldOffByInput()
{
    const int id = addTask(condition(TC::FreeCommission, 5, "", "10", QString(), true));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(599);
    scheduler->listenMouseNKeyboard();
    time->advanceSeconds(599);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"display off"});
    // Run once: not watching any more, and input leaves it alone.
    QVERIFY(!scheduler->isWaiting(id));
    scheduler->listenMouseNKeyboard();
    time->advanceSeconds(5000);
    QCOMPARE(log.calls.size(), 1);
}

void TestScheduler::idleTaskIsRefusedWhereIdlenessCannotBeSeen()
{
    const int idle = addTask(condition(TC::FreeCommission, 3, "", "1", QString(), true));
    const int countdown = addTask(condition(TC::FromNowCommission, 0, "0", "1"));
    QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
    scheduler->setIdleDetectable(false);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot report; not armed"));
    scheduler->handleOperaSliderSignal(idle, true);
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first(), (QList<QVariant>{idle, QString("当前桌面无法检测空闲时间")}));
    QVERIFY(!scheduler->isArmed(idle));
    // Other tasks do not depend on it.
    scheduler->handleOperaSliderSignal(countdown, true);
    QVERIFY(scheduler->isWaiting(countdown));
    QCOMPARE(refused.size(), 1);
    time->advanceSeconds(3600);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    // Once idleness can be seen, the same switch arms it.
    scheduler->setIdleDetectable(true);
    scheduler->handleOperaSliderSignal(idle, true);
    QVERIFY(scheduler->isWaiting(idle));
    QCOMPARE(refused.size(), 1);
}

void TestScheduler::armedIdleTaskWaitsWhileIdlenessIsOutOfSight()
{
    const int id = addTask(condition(TC::FreeCommission, 5, "", "10", QString(), true));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(300);
    scheduler->setIdleDetectable(false);
    time->advanceSeconds(3 * 3600);
    QVERIFY(log.calls.isEmpty());
    QVERIFY(scheduler->isWaiting(id));
    // Sight comes back: what happened meanwhile counts as input, and a full period follows.
    scheduler->setIdleDetectable(true);
    time->advanceSeconds(599);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(2);
    QCOMPARE(log.calls, QStringList{"display off"});
}

void TestScheduler::downloadTaskIsRestartedAtExactlyItsThreshold()
{
    const int id = addTask(condition(TC::FromDownloadCommission, 0, "", "5", "50", true));
    scheduler->handleOperaSliderSignal(id, true);
    QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{50});
    time->advanceSeconds(200);
    scheduler->overspeedMethod(49); // a threshold nobody watches
    time->advanceSeconds(99);
    scheduler->overspeedMethod(50);
    time->advanceSeconds(299);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    QVERIFY(sampler->downloadStandSpeedList().isEmpty());
}

void TestScheduler::everyTaskSharingAThresholdIsRestarted()
{
    const int first = addTask(condition(TC::FromUploadCommission, 0, "", "1", "20", true));
    const int second = addTask(condition(TC::FromUploadCommission, 1, "", "2", "20", true));
    scheduler->handleOperaSliderSignal(first, true);
    scheduler->handleOperaSliderSignal(second, true);
    QCOMPARE(sampler->uploadStandSpeedList(), (QList<int>{20, 20}));
    for (int tick = 0; tick < 200; ++tick) {
        time->advanceSeconds(1);
        scheduler->overspeedOfUploadMethod(20);
    }
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(60);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    time->advanceSeconds(60);
    QCOMPARE(log.calls.size(), 2);
    Q_UNUSED(second)
}

void TestScheduler::disarmingTakesExactlyItsOwnThreshold()
{
    const int first = addTask(condition(TC::FromDownloadCommission, 0, "", "5", "30"));
    const int second = addTask(condition(TC::FromDownloadCommission, 0, "", "5", "80"));
    const int third = addTask(condition(TC::FromDownloadCommission, 0, "", "5", "30"));
    for (int id : {first, second, third})
        scheduler->handleOperaSliderSignal(id, true);
    QCOMPARE(sampler->downloadStandSpeedList(), (QList<int>{30, 80, 30}));
    scheduler->handleOperaSliderSignal(second, false);
    QCOMPARE(sampler->downloadStandSpeedList(), (QList<int>{30, 30}));
    scheduler->handleOperaSliderSignal(first, false);
    QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{30});
    QVERIFY(!scheduler->isArmed(first));
    QVERIFY(scheduler->isWaiting(third));
    // Switching off a task that is not on changes nothing.
    scheduler->handleOperaSliderSignal(second, false);
    QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{30});
}

void TestScheduler::switchingAnArmedTaskOnAgainLeavesNothingBehind()
{
    const int id = addTask(condition(TC::FromUploadCommission, 0, "", "5", "15"));
    for (int i = 0; i < 3; ++i)
        scheduler->handleOperaSliderSignal(id, true);
    QCOMPARE(sampler->uploadStandSpeedList(), QList<int>{15});
    QCOMPARE(time->activeTimers(), 1);
    time->advanceSeconds(300);
    QCOMPARE(log.calls.size(), 1);
}

void TestScheduler::dailyTaskSkipsItsExceptionDayAndRearmsAfterRunning()
{
    // Daily at 08:00 except Saturday, first run on Friday 2026-12-11.
    const QDateTime friday(QDate(2026, 12, 11), QTime(8, 0));
    const int id = addTask(calendarAt(TC::DayCommission, friday, 0, true));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(Start.secsTo(friday));
    QCOMPARE(log.calls.size(), 1);
    QCOMPARE(storedTask(id).value("repeat_detail_day"), QString("2026-12-12 08:00:00"));

    time->advanceSeconds(86400); // Saturday: stored on, not run
    QCOMPARE(log.calls.size(), 1);
    const Record sunday = storedTask(id);
    QCOMPARE(sunday.value("from_1970_seconds"), QString::number(friday.addDays(2).toSecsSinceEpoch()));
    QCOMPARE(sunday.value("repeat_detail_day"), QString("2026-12-13 08:00:00"));
    QVERIFY(scheduler->isWaiting(id));

    time->advanceSeconds(86400); // Sunday
    QCOMPARE(log.calls.size(), 2);
    time->advanceSeconds(86400); // Monday
    QCOMPARE(log.calls.size(), 3);
}

void TestScheduler::calendarTaskSwitchedOnAfterItsMomentMovesOn_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QDateTime>("stored"); // the program was not running then
    QTest::addColumn<QDateTime>("next");
    QTest::addColumn<QString>("call");
    QTest::newRow("daily, yesterday") << int(TC::DayCommission) << 4 << QDateTime(QDate(2026, 12, 8), QTime(9, 30))
                                      << QDateTime(QDate(2026, 12, 10), QTime(9, 30)) << "interpreter: shutdown -h";
    QTest::newRow("weekly, last Monday") << int(TC::WeekCommission) << 1 << QDateTime(QDate(2026, 12, 7), QTime(4, 10))
                                         << QDateTime(QDate(2026, 12, 14), QTime(4, 10)) << "interpreter: shutdown -r ";
}

void TestScheduler::calendarTaskSwitchedOnAfterItsMomentMovesOn()
{
    QFETCH(int, kind);
    QFETCH(int, orderId);
    QFETCH(QDateTime, stored);
    QFETCH(QDateTime, next);
    QFETCH(QString, call);
    const int id = addTask(calendarAt(TC::CommissionType(kind), stored, orderId));
    QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
    scheduler->handleOperaSliderSignal(id, true);
    QVERIFY(scheduler->isWaiting(id));
    QCOMPARE(refused.size(), 0);
    QCOMPARE(storedTask(id).value("repeat_detail_day"), next.toString("yyyy-MM-dd HH:mm:ss"));
    time->advanceSeconds(Start.secsTo(next) - 1);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{call});
}

void TestScheduler::fortyDayTaskDoesNotFireEarly()
{
    const QDateTime later = Start.addDays(40);
    const int id = addTask(calendarAt(TC::OnceCommission, later, 6));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(Start.secsTo(later) - 1);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"interpreter: rundll32 powrprof.dll,SetSuspendState"});

    const int countdown = addTask(condition(TC::FromNowCommission, 0, "960", "0"));
    scheduler->handleOperaSliderSignal(countdown, true);
    time->advanceSeconds(960 * 3600 - 1);
    QCOMPARE(log.calls.size(), 1);
    time->advanceSeconds(1);
    QCOMPARE(log.calls.size(), 2);
}

void TestScheduler::longWaitsAreSteppedAndNeverEarly()
{
    SystemTaskTimer timer(nullptr, 40);
    QSignalSpy fired(&timer, &TaskTimer::timeout);
    QElapsedTimer clock;
    clock.start();
    timer.start(300);
    QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 3000);
    QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(200);
    QCOMPARE(fired.size(), 1);
}

void TestScheduler::momentSleptThroughIsMissed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("nextStored");
    QTest::newRow("once: missed, not made up") << int(TC::OnceCommission) << "2026-12-09 12:00:00";
    QTest::newRow("daily: moves on to its next day") << int(TC::DayCommission) << "2026-12-10 12:00:00";
    QTest::newRow("weekly: moves on to its next week") << int(TC::WeekCommission) << "2026-12-16 12:00:00";
}

void TestScheduler::momentSleptThroughIsMissed()
{
    QFETCH(int, kind);
    QFETCH(QString, nextStored);
    const int id = addTask(calendarAt(TC::CommissionType(kind), Start.addSecs(2 * 3600)));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(3600);
    time->sleep(2 * 3600 * 1000); // asleep from 11:00 to 13:00
    scheduler->recheckCalendarTasks();
    time->advanceSeconds(120);
    QVERIFY(log.calls.isEmpty());
    QCOMPARE(storedTask(id).value("repeat_detail_day"), nextStored);
    QCOMPARE(scheduler->isWaiting(id), kind != TC::OnceCommission);
}

void TestScheduler::clockSetForwardOntoTheMomentFiresAtOnceOnWake()
{
    const int id = addTask(calendarAt(TC::OnceCommission, Start.addSecs(3600)));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(10);
    time->sleep((3600 - 10 + 30) * 1000); // wakes 30 s after the moment
    scheduler->recheckCalendarTasks();
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});

    // Without a wake-up signal, the minute check finds a clock set forward.
    const int other = addTask(calendarAt(TC::OnceCommission, time->now().addSecs(7200), 1));
    scheduler->handleOperaSliderSignal(other, true);
    time->shiftWallClock(7200 * 1000 - 20 * 1000);
    time->advanceSeconds(60);
    QCOMPARE(log.calls.size(), 2);
}

void TestScheduler::repeatingRateTaskIsWatchedAgainAfterFiring()
{
    const int id = addTask(condition(TC::FromDownloadCommission, 0, "", "1", "10"));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(60);
    QCOMPARE(log.calls.size(), 1);
    QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{10});
    QVERIFY(scheduler->isWaiting(id));
    time->advanceSeconds(30);
    scheduler->overspeedMethod(10);
    time->advanceSeconds(59);
    QCOMPARE(log.calls.size(), 1);
    time->advanceSeconds(1);
    QCOMPARE(log.calls.size(), 2);
}

void TestScheduler::periodOfZeroOrLessIsNeverArmed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("leaseSecond");
    for (int lease : {0, -60}) {
        for (int kind : {TC::FromNowCommission, TC::FreeCommission, TC::FromDownloadCommission,
                         TC::FromUploadCommission, TC::FromUntilCommission})
            QTest::addRow("kind %d, %d s", kind, lease) << kind << lease;
    }
}

void TestScheduler::periodOfZeroOrLessIsNeverArmed()
{
    QFETCH(int, kind);
    QFETCH(int, leaseSecond);
    // A row as an older file may hold it: armed, it would run its action again and again.
    Record columns = condition(TC::CommissionType(kind), 3, "0", "0", "10");
    columns["lease_second"] = QString::number(leaseSecond);
    const int id = addTask(columns);
    QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has a period of .* must be above zero"));
    scheduler->handleOperaSliderSignal(id, true);
    QVERIFY(!scheduler->isArmed(id));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first(), (QList<QVariant>{id, QStringLiteral("任务的时间必须大于0,请先修改任务")}));
    QVERIFY(sampler->downloadStandSpeedList().isEmpty());
    QVERIFY(sampler->uploadStandSpeedList().isEmpty());
    time->advanceSeconds(600);
    QVERIFY(log.calls.isEmpty());
    QCOMPARE(time->activeTimers(), 0);
}

void TestScheduler::repeatingCalendarTasksStoreTheirNextRunAndRunAgain_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("dayText");
    QTest::addColumn<QStringList>("runs"); // the first run, then each stored next run
    QTest::newRow("weekly on Monday 04:10")
        << int(TC::WeekCommission) << "1"
        << QStringList{"2026-12-14 04:10:00", "2026-12-21 04:10:00", "2026-12-28 04:10:00"};
    // A day the month lacks is the month's last day; the next month has the chosen day again.
    QTest::newRow("monthly on the 31st") << int(TC::MonthCommission) << "31"
                                         << QStringList{"2026-12-31 04:10:00", "2027-01-31 04:10:00",
                                                        "2027-02-28 04:10:00", "2027-03-31 04:10:00"};
    QTest::newRow("yearly on 29 February")
        << int(TC::YearCommission) << "2_29" << QStringList{"2027-02-28 04:10:00", "2028-02-29 04:10:00"};
}

void TestScheduler::repeatingCalendarTasksStoreTheirNextRunAndRunAgain()
{
    QFETCH(int, kind);
    QFETCH(QString, dayText);
    QFETCH(QStringList, runs);
    const QString format = "yyyy-MM-dd HH:mm:ss";
    Record columns = calendarAt(TC::CommissionType(kind), QDateTime::fromString(runs.first(), format), 1);
    columns["repeat_bigger_unit"] = dayText;
    const int id = addTask(columns);
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    QSignalSpy stored(scheduler.get(), &TaskScheduler::nextRunStored);
    scheduler->handleOperaSliderSignal(id, true);
    for (int run = 1; run < runs.size(); ++run) {
        const QDateTime moment = QDateTime::fromString(runs.at(run - 1), format);
        time->advanceSeconds(time->now().secsTo(moment) - 1);
        QCOMPARE(log.calls.size(), run - 1);
        time->advanceSeconds(1);
        QCOMPARE(log.calls.size(), run);
        // Found armed for its next run, which is stored.
        QVERIFY(scheduler->isWaiting(id));
        const Record task = storedTask(id);
        QCOMPARE(task.value("repeat_detail_day"), runs.at(run));
        QCOMPARE(task.value("from_1970_seconds"),
                 QString::number(QDateTime::fromString(runs.at(run), format).toSecsSinceEpoch()));
        // Only the two moved columns are written.
        QCOMPARE(task.value("name"), columns.value("name"));
        QCOMPARE(task.value("repeat_bigger_unit"), dayText);
    }
    QCOMPARE(ended.size(), 0);
    // Each stored run is announced, so that the task's row can show it.
    QCOMPARE(stored.size(), runs.size() - 1);
}

void TestScheduler::tasksThatAreNotArmedAgainSayTheyEnded_data()
{
    QTest::addColumn<Record>("columns");
    QTest::addColumn<int>("runAfter");
    QTest::addColumn<bool>("ends");
    QTest::newRow("once") << calendarAt(TC::OnceCommission, Start.addSecs(30)) << 30 << true;
    QTest::newRow("countdown") << condition(TC::FromNowCommission, 0, "0", "1") << 60 << true;
    QTest::newRow("running time") << condition(TC::FromUntilCommission, 0, "8", "0") << 1 << true;
    QTest::newRow("idle, run once") << condition(TC::FreeCommission, 0, "", "1", QString(), true) << 60 << true;
    QTest::newRow("download, run once") << condition(TC::FromDownloadCommission, 0, "", "1", "5", true) << 60 << true;
    QTest::newRow("idle, repeating") << condition(TC::FreeCommission, 0, "", "1") << 60 << false;
    QTest::newRow("daily") << calendarAt(TC::DayCommission, Start.addSecs(30)) << 30 << false;
    QTest::newRow("weekly") << calendarAt(TC::WeekCommission, Start.addSecs(30)) << 30 << false;
}

void TestScheduler::tasksThatAreNotArmedAgainSayTheyEnded()
{
    QFETCH(Record, columns);
    QFETCH(int, runAfter);
    QFETCH(bool, ends);
    const int id = addTask(columns);
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(runAfter);
    QCOMPARE(log.calls.size(), 1);
    QCOMPARE(ended.size(), ends ? 1 : 0);
    if (ends)
        QCOMPARE(ended.first().at(0).toInt(), id);
    QCOMPARE(scheduler->isArmed(id), !ends);
}

void TestScheduler::countersTickAndInputResetsIdle()
{
    QSignalSpy idle(scheduler.get(), &TaskScheduler::idleTimeText);
    QSignalSpy run(scheduler.get(), &TaskScheduler::runTimeText);
    for (int i = 0; i < 3725; ++i)
        scheduler->changeSecondToHour();
    QCOMPARE(idle.last().at(0).toString(), QString("1小时2分5秒"));
    QCOMPARE(run.last().at(0).toString(), DurationText::hoursMinutesSeconds(5000 + 3725));
    scheduler->listenMouseNKeyboard();
    scheduler->changeSecondToHour();
    QCOMPARE(idle.last().at(0).toString(), QString("0小时0分1秒"));
}

void TestScheduler::operandTaskRunsItsOperand()
{
    const int id = addTask(condition(TC::FromNowCommission, 10, "0", "1"), "/opt/tools/app.bin");
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(60);
    QCOMPARE(log.calls, QStringList{"terminate: app.bin"});
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
