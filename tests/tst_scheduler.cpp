#include "FakeActionServices.h"
#include "ScratchDatabase.h"
#include "actions/ActionExecutor.h"
#include "monitors/NetInfoThread.h"
#include "schedule/LastWarningRules.h"
#include "schedule/SchedulerClock.h"
#include "schedule/SystemTaskTimer.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "schedule/TaskTimerFactory.h"
#include "storage/UserSettings.h"
#include "tasks_ui/LastWarningPresenter.h"
#include "tasks_ui/LastWarningWindow.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using Record = Connection::Record;
using TC = TaskComposer;
using Rules = LastWarningRules;
using Spied = QList<QList<QVariant>>;
// The columns of the tables below.
using Firing = std::tuple<Record, int, QString, int, QString>;
using Answering = std::tuple<bool, QString, QList<int>, QList<int>>;
using Passing = std::tuple<int, int, bool, QString>;
Q_DECLARE_METATYPE(Firing)
Q_DECLARE_METATYPE(Answering)
using Ending = std::tuple<Record, int, QString>;
using Repeating = std::tuple<int, QString, QStringList>;
Q_DECLARE_METATYPE(Passing)
Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(Repeating)

namespace {

// Wednesday morning; the machine has been on for 5000 s.
const QDateTime Start(QDate(2026, 12, 9), QTime(10, 0, 0));
const QString Format = "yyyy-MM-dd HH:mm:ss";
const qint64 Minute = 60000;
const QString ZeroPeriod = QStringLiteral("任务的时间必须大于0,请先修改任务");

Record condition(TC::CommissionType kind, int orderId, const QString &hours, const QString &minutes,
                 const QString &rate = QString(), bool onlyOnce = false)
{
    return TC::conditionColumns(kind, orderId, {hours, minutes, rate, onlyOnce});
}

Record withLease(Record columns, qint64 leaseSecond)
{
    columns["lease_second"] = QString::number(leaseSecond);
    return columns;
}

Record calendarAt(TC::CommissionType kind, const QDateTime &firstRun, int orderId = 0, bool exceptSaturday = false)
{
    const QDate d = firstRun.date();
    const int second = firstRun.time().msecsSinceStartOfDay() / 1000;
    return TC::calendarColumns(kind, orderId, {d, second, d.dayOfWeek(), d.day(), d.month(), d.day(), exceptSaturday});
}

} // namespace

// A task timer that expires only when a test moves ManualTime past its deadline.
class ManualTimer : public TaskTimer
{
public:
    using TaskTimer::TaskTimer;
    void start(qint64 ms) override { intervalMs = ms, due = *elapsed + ms, on = true; }
    void stop() override { on = false; }
    bool isActive() const override { return on; }
    qint64 interval() const override { return intervalMs; }

    const qint64 *elapsed = nullptr;
    qint64 intervalMs = 0, due = 0;
    bool on = false;
};

// The scheduler's clocks and timers under a test's control: hours pass in microseconds. The machine has been on for
// 5000 s when the clock starts.
class ManualTime : public SchedulerClock, public TaskTimerFactory
{
public:
    QDateTime now() const override { return QDateTime::fromMSecsSinceEpoch(wallStartMs + wallShiftMs + elapsed); }
    qint64 uptimeSeconds() const override { return (5000000 + sleptMs + elapsed) / 1000; }
    qint64 monotonicMs() const override { return elapsed; }
    TaskTimer *create(QObject *parent) override
    {
        timers.append(new ManualTimer(parent));
        timers.last()->elapsed = &elapsed;
        return timers.last();
    }

    // Lets time run on, expiring every timer whose deadline comes, in order.
    void advance(qint64 ms)
    {
        const qint64 end = elapsed + ms;
        for (ManualTimer *next = nullptr;; next = nullptr) {
            for (ManualTimer *timer : qAsConst(timers))
                if (timer && timer->on && timer->due <= end && (!next || timer->due < next->due))
                    next = timer;
            if (!next)
                break;
            elapsed = qMax(elapsed, next->due), next->on = false;
            emit next->timeout();
        }
        elapsed = end;
    }
    void advanceSeconds(qint64 seconds) { advance(seconds * 1000); }

    // The wall clock jumps (the user set it, or the computer slept); the timers do not move.
    void shiftWallClock(qint64 ms) { wallShiftMs += ms; }
    void sleep(qint64 ms) { wallShiftMs += ms, sleptMs += ms; }

    int timersOn() const
    {
        return std::count_if(timers.begin(), timers.end(), [](auto t) { return t && t->on; });
    }

private:
    qint64 wallStartMs = Start.toMSecsSinceEpoch(), wallShiftMs = 0, sleptMs = 0, elapsed = 0;
    QList<QPointer<ManualTimer>> timers;
};

// A network that stays quiet.
class QuietCounters : public NetworkCounterSource
{
public:
    bool isSupported() const override { return true; }
    NetworkTotals read() override { return {}; }
};

// The scheduler over a fresh database in a folder of its own, on a clock the test moves, with a quiet network,
// actions that only write down what they were asked and the last warning's window.
class TestScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        presenter.reset(), scheduler.reset(), settings.reset(), executor.reset();
        time.reset(), sampler.reset();
        store.emplace();
        QVERIFY(store->ready);
        sampler = std::make_unique<NetInfoThread>(nullptr, std::make_unique<QuietCounters>());
        time = std::make_unique<ManualTime>();
        log.calls.clear();
        executor = std::make_unique<ActionExecutor>(&store->connection, fakeActionServices(&log));
        settings = std::make_unique<UserSettings>(store->directory.filePath("settings.ini"), nullptr);
        startScheduler(true);
    }

    void firesWhenDueAndRepeatsEndsOrIsRefused_data()
    {
        // The columns, empty for the seed task every database starts with; when it fires, 0 if it is not armed; what
        // it runs, or the reason given when it is not armed; when it fires again, 0 if it runs once and says it ended;
        // the next run a calendar task switched on after its moment stores.
        QTest::addColumn<Firing>("row");
        auto row = [](const QString &name, const Record &columns, int firesAfter, const QString &call,
                      int repeatsAfter = 0, const QString &storedNext = QString()) {
            QTest::newRow(qPrintable(name)) << Firing{columns, firesAfter, call, repeatsAfter, storedNext};
        };
        const QString off = "interpreter: shutdown -s -f";
        const QString lock = "interpreter: rundll32.exe user32.dll LockWorkStation";
        row("seed: ten idle minutes", Record(), 600, "display off", 600);
        row("countdown", condition(TC::FromNowCommission, 1, "1", "0"), 3600, "interpreter: shutdown -r ");
        row("countdown of 960 h", condition(TC::FromNowCommission, 0, "960", "0"), 960 * 3600, off);
        row("close a program", condition(TC::FromNowCommission, 10, "0", "1"), 60, "terminate: app.bin");
        row("once, forty days ahead", calendarAt(TC::OnceCommission, Start.addDays(40), 6), 40 * 86400,
            "interpreter: rundll32 powrprof.dll,SetSuspendState");
        row("daily", calendarAt(TC::DayCommission, Start.addSecs(30)), 30, off, 86400);
        row("on, at the uptime", withLease(condition(TC::FromOnCommission, 3, "0", "0", "", true), 5000), 2, lock);
        row("on, every 2380 s", condition(TC::FromOnCommission, 3, "2", "3"), 2380, lock, 2380);
        row("until 08:00, passed", condition(TC::FromUntilCommission, 3, "8", "0"), 1, lock);
        row("until 11:00", condition(TC::FromUntilCommission, 3, "11", "0"), 3600, lock);
        row("idle, once", condition(TC::FreeCommission, 0, "", "1", "", true), 60, off);
        // The program was not running at the stored moment.
        row("daily, yesterday", calendarAt(TC::DayCommission, QDateTime(QDate(2026, 12, 8), QTime(9, 30)), 4), 84600,
            "interpreter: shutdown -h", 86400, "2026-12-10 09:30:00");
        row("weekly, last Monday", calendarAt(TC::WeekCommission, QDateTime(QDate(2026, 12, 7), QTime(4, 10)), 1),
            4 * 86400 + 65400, "interpreter: shutdown -r ", 7 * 86400, "2026-12-14 04:10:00");
        // A row as an older file may hold it: armed, it would run its action again and again.
        for (int lease : {0, -60})
            for (int kind : {TC::FromNowCommission, TC::FreeCommission, TC::FromDownloadCommission,
                             TC::FromUploadCommission, TC::FromUntilCommission})
                row(QString("kind %1, %2 s").arg(kind).arg(lease),
                    withLease(condition(TC::CommissionType(kind), 3, "0", "0", "10"), lease), 0, ZeroPeriod);
        row("once, at its moment", calendarAt(TC::OnceCommission, Start), 0,
            QStringLiteral("执行时间等于或早于当前时间,命令不会执行"));
        row("on, already passed", condition(TC::FromOnCommission, 3, "1", "0", "", true), 0, "");
    }

    void firesWhenDueAndRepeatsEndsOrIsRefused()
    {
        QFETCH(Firing, row);
        const auto [columns, firesAfter, call, repeatsAfter, storedNext] = row;
        if (columns.isEmpty()) {
            QCOMPARE(scheduler->planList().size(), 1);
            QVERIFY(!scheduler->isArmed(0));
            QCOMPARE(time->timersOn(), 0);
        }
        const int id = columns.isEmpty() ? 0
                                         : addTask(columns, call.startsWith("terminate") ? "/opt/tools/app.bin" : "");
        // A countdown runs from the switch, not from when the task was made.
        if (columns.value("timer_mode").toInt() == Connection::FromNow)
            time->advanceSeconds(1000);
        QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
        QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
        if (call == ZeroPeriod)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has a period of .* must be above zero"));
        scheduler->handleOperaSliderSignal(id, true);
        QCOMPARE(scheduler->isWaiting(id), firesAfter > 0);
        if (firesAfter > 0 || !call.isEmpty())
            QCOMPARE(Spied(refused), (firesAfter > 0 ? Spied() : Spied{{id, call}}));
        if (firesAfter == 0) {
            QVERIFY(call.isEmpty() || (!scheduler->isArmed(id) && time->timersOn() == 0));
            QCOMPARE(sampler->downloadStandSpeedList() + sampler->uploadStandSpeedList(), QList<int>());
            time->advanceSeconds(100000);
            QVERIFY(log.calls.isEmpty());
            return;
        }
        if (!storedNext.isEmpty())
            QCOMPARE(storedTask(id).value("repeat_detail_day"), storedNext);
        QVERIFY(runsAfter(firesAfter));
        QCOMPARE(log.calls, QStringList{call});
        QCOMPARE(scheduler->isWaiting(id), repeatsAfter > 0);
        QCOMPARE(Spied(ended), (repeatsAfter > 0 ? Spied() : Spied{{id}}));
        if (repeatsAfter > 0)
            QVERIFY(runsAfter(repeatsAfter));
        time->advanceSeconds(100000);
        QCOMPARE(log.calls.size() == 1, repeatsAfter == 0);
    }

    void idleTasksFollowWhetherIdlenessCanBeSeen()
    {
        const int idle = addTask(condition(TC::FreeCommission, 5, "", "10", QString(), true));
        const int countdown = addTask(condition(TC::FromNowCommission, 0, "0", "1"));
        QSignalSpy refused(scheduler.get(), &TaskScheduler::armingRefused);
        scheduler->setIdleDetectable(false);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot report; not armed"));
        scheduler->handleOperaSliderSignal(idle, true);
        QCOMPARE(Spied(refused), (Spied{{idle, QString("当前桌面无法检测空闲时间")}}));
        QVERIFY(!scheduler->isArmed(idle));
        // Other tasks do not depend on it.
        scheduler->handleOperaSliderSignal(countdown, true);
        time->advanceSeconds(60);
        QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
        // Once idleness can be seen, the same switch arms it; input holds it off.
        scheduler->setIdleDetectable(true);
        scheduler->handleOperaSliderSignal(idle, true);
        time->advanceSeconds(599);
        scheduler->listenMouseNKeyboard();
        time->advanceSeconds(300);
        // Out of sight, it waits.
        scheduler->setIdleDetectable(false);
        time->advanceSeconds(3 * 3600);
        QCOMPARE(log.calls.size(), 1);
        QVERIFY(scheduler->isWaiting(idle));
        QCOMPARE(refused.size(), 1);
        // Sight comes back: what happened meanwhile counts as input, and a full period follows.
        scheduler->setIdleDetectable(true);
        QVERIFY(runsAfter(601, 2000));
        QCOMPARE(log.calls.last(), QString("display off"));
        // Run once: input leaves it alone.
        scheduler->listenMouseNKeyboard();
        time->advanceSeconds(5000);
        QCOMPARE(log.calls.size(), 2);
    }

    void rateTaskIsRestartedAtExactlyItsThreshold()
    {
        // Once, then repeating: watched again after firing.
        for (bool onlyOnce : {true, false}) {
            log.calls.clear();
            const int id = armTask(condition(TC::FromDownloadCommission, 0, "", "5", "50", onlyOnce));
            QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{50});
            time->advanceSeconds(200);
            scheduler->overspeedMethod(49); // a threshold nobody watches
            time->advanceSeconds(99);
            scheduler->overspeedMethod(50);
            QVERIFY(runsAfter(300));
            QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
            QCOMPARE(sampler->downloadStandSpeedList(), onlyOnce ? QList<int>{} : QList<int>{50});
            QCOMPARE(scheduler->isWaiting(id), !onlyOnce);
            time->advanceSeconds(30);
            scheduler->overspeedMethod(50);
            QCOMPARE(runsAfter(300), !onlyOnce);
        }
    }

    void switchesTakeLeaveAndShareExactlyTheirOwnThreshold()
    {
        const int first = addTask(condition(TC::FromUploadCommission, 0, "", "1", "20", true));
        const int second = addTask(condition(TC::FromUploadCommission, 1, "", "2", "20", true));
        const int other = addTask(condition(TC::FromUploadCommission, 0, "", "5", "80"));
        for (int id : {second, second, second, first, other})
            scheduler->handleOperaSliderSignal(id, true);
        QCOMPARE(sampler->uploadStandSpeedList(), (QList<int>{20, 20, 80}));
        scheduler->handleOperaSliderSignal(other, false);
        scheduler->handleOperaSliderSignal(other, false); // not on: changes nothing
        QCOMPARE(sampler->uploadStandSpeedList(), (QList<int>{20, 20}));
        scheduler->handleOperaSliderSignal(first, false);
        QCOMPARE(sampler->uploadStandSpeedList(), QList<int>{20});
        QVERIFY(!scheduler->isArmed(first));
        scheduler->handleOperaSliderSignal(first, true);
        // Switching on again left nothing behind.
        QCOMPARE(time->timersOn(), 2);
        // Every task watching the threshold is restarted when the rate reaches it.
        for (int tick = 0; tick < 200; ++tick)
            time->advanceSeconds(1), scheduler->overspeedOfUploadMethod(20);
        QVERIFY(log.calls.isEmpty());
        QVERIFY(runsAfter(60));
        QVERIFY(runsAfter(60));
    }

    void dailyTaskSkipsItsExceptionDayAndRearmsAfterRunning()
    {
        // Daily at 08:00 except Saturday, first run on Friday 2026-12-11.
        const QDateTime friday(QDate(2026, 12, 11), QTime(8, 0));
        const int id = armTask(calendarAt(TC::DayCommission, friday, 0, true));
        QVERIFY(runsAfter(Start.secsTo(friday)));
        QCOMPARE(storedTask(id).value("repeat_detail_day"), QString("2026-12-12 08:00:00"));
        time->advanceSeconds(86400); // Saturday: stored on, not run
        QCOMPARE(log.calls.size(), 1);
        QCOMPARE(storedTask(id).value("from_1970_seconds"), QString::number(friday.addDays(2).toSecsSinceEpoch()));
        QCOMPARE(storedTask(id).value("repeat_detail_day"), QString("2026-12-13 08:00:00"));
        QVERIFY(runsAfter(86400)); // Sunday
        QVERIFY(runsAfter(86400)); // Monday
    }

    void longWaitsAreSteppedAndNeverEarly()
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

    void momentPassedAsleepOrByTheClock_data()
    {
        // The kind; the jump from 11:00, one hour before the moment; whether a wake-up signal comes; the next run
        // stored, empty when it runs at once.
        QTest::addColumn<Passing>("row");
        QTest::newRow("once: missed, not made up") << Passing{TC::OnceCommission, 7200, true, "2026-12-09 12:00:00"};
        QTest::newRow("daily: on to its next day") << Passing{TC::DayCommission, 7200, true, "2026-12-10 12:00:00"};
        QTest::newRow("weekly: on to its next week") << Passing{TC::WeekCommission, 7200, true, "2026-12-16 12:00:00"};
        QTest::newRow("woken 30 s after the moment") << Passing{TC::OnceCommission, 3630, true, ""};
        // Without a wake-up signal, the minute check finds a clock set forward.
        QTest::newRow("clock set to 20 s before") << Passing{TC::OnceCommission, 3580, false, ""};
    }

    void momentPassedAsleepOrByTheClock()
    {
        QFETCH(Passing, row);
        const auto [kind, jumpSeconds, wakeSignal, nextStored] = row;
        const int id = armTask(calendarAt(TC::CommissionType(kind), Start.addSecs(2 * 3600)));
        time->advanceSeconds(3600);
        if (wakeSignal)
            time->sleep(jumpSeconds * 1000LL), scheduler->recheckCalendarTasks();
        else
            time->shiftWallClock(jumpSeconds * 1000LL);
        QCOMPARE(log.calls.size(), int(wakeSignal && nextStored.isEmpty()));
        time->advanceSeconds(60);
        QCOMPARE(log.calls, nextStored.isEmpty() ? QStringList{"interpreter: shutdown -s -f"} : QStringList());
        if (!nextStored.isEmpty()) {
            QCOMPARE(storedTask(id).value("repeat_detail_day"), nextStored);
            QCOMPARE(scheduler->isWaiting(id), kind != TC::OnceCommission);
        }
    }

    void repeatingCalendarTasksStoreTheirNextRunAndRunAgain_data()
    {
        // The kind, the day as stored, the first run and then each stored next run. A day the month lacks is the
        // month's last day; the next month has the chosen day again.
        QTest::addColumn<Repeating>("row");
        const QStringList monthly{"2026-12-31 04:10:00", "2027-01-31 04:10:00", "2027-02-28 04:10:00",
                                  "2027-03-31 04:10:00"};
        QTest::newRow("monthly on the 31st") << Repeating{TC::MonthCommission, "31", monthly};
        QTest::newRow("yearly on 29 February")
            << Repeating{TC::YearCommission, "2_29", {"2027-02-28 04:10:00", "2028-02-29 04:10:00"}};
    }

    void repeatingCalendarTasksStoreTheirNextRunAndRunAgain()
    {
        QFETCH(Repeating, row);
        const auto [kind, dayText, runs] = row;
        Record columns = calendarAt(TC::CommissionType(kind), QDateTime::fromString(runs.first(), Format), 1);
        columns["repeat_bigger_unit"] = dayText;
        QSignalSpy stored(scheduler.get(), &TaskScheduler::nextRunStored);
        const int id = armTask(columns);
        for (int run = 1; run < runs.size(); ++run) {
            QVERIFY(runsAfter(time->now().secsTo(QDateTime::fromString(runs.at(run - 1), Format))));
            QVERIFY(scheduler->isWaiting(id));
            // Only the two moved columns are written.
            const Record task = storedTask(id);
            const QString seconds = QString::number(QDateTime::fromString(runs.at(run), Format).toSecsSinceEpoch());
            QCOMPARE((QStringList{task["repeat_detail_day"], task["from_1970_seconds"], task["name"],
                                  task["repeat_bigger_unit"]}),
                     (QStringList{runs.at(run), seconds, columns["name"], dayText}));
        }
        // Each stored run is announced, so that the task's row can show it.
        QCOMPARE(stored.size(), runs.size() - 1);
    }

    void countersTickAndInputResetsIdle()
    {
        QSignalSpy idle(scheduler.get(), &TaskScheduler::idleTimeText);
        QSignalSpy run(scheduler.get(), &TaskScheduler::runTimeText);
        for (int i = 0; i < 3725; ++i)
            scheduler->changeSecondToHour();
        QCOMPARE(idle.last().at(0).toString(), QString("1小时2分5秒"));
        QCOMPARE(run.last().at(0).toString(), QString("2小时25分25秒"));
        scheduler->listenMouseNKeyboard();
        scheduler->changeSecondToHour();
        QCOMPARE(idle.last().at(0).toString(), QString("0小时0分1秒"));
    }

    // The last warning before a disruptive action: its rules, and the window.
    void leadAndCountdownDependOnActionTriggerAndPeriod()
    {
        using C = Connection;
        QCOMPARE(Rules::leadMs(0, C::FromNow, 3 * Minute), Minute);        // shut down
        QCOMPARE(Rules::leadMs(1, C::FromNow, 2 * Minute), Minute);        // restart
        QCOMPARE(Rules::leadMs(2, C::FromNow, Minute), 30000LL);           // log off: half
        QCOMPARE(Rules::leadMs(4, C::IfFree, 90000), 45000LL);             // sleep: half
        QCOMPARE(Rules::leadMs(6, C::FromNowInDownload, Minute), 30000LL); // stand-by
        QCOMPARE(Rules::leadMs(11, C::FromNowInUpload, Minute), 30000LL);  // disconnect
        QCOMPARE(Rules::leadMs(0, C::ToTarget, 1440 * Minute), Minute);    // calendar, a day away
        QCOMPARE(Rules::leadMs(0, C::ToTarget, 20000), 20000LL);           // calendar, 20 s away: all of it
        QCOMPARE(Rules::leadMs(3, C::FromNow, 10 * Minute), 0LL);          // lock
        QCOMPARE(Rules::leadMs(0, C::ToTarget, 0), 0LL);                   // nothing left to warn of
        // The countdown rounds up and stops at zero.
        QCOMPARE(Rules::countdownText(1, 58001), QStringLiteral("将在 59 秒后重启"));
        QCOMPARE(Rules::countdownText(4, 1), QStringLiteral("将在 1 秒后睡眠"));
        QCOMPARE(Rules::countdownText(11, 0), QStringLiteral("将在 0 秒后断开网络"));
    }

    void warnsAheadAndRunsOnTimeWithoutAnswer()
    {
        // Sleep after one minute: warned half of it ahead.
        QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
        const int id = armTask(condition(TC::FromNowCommission, 4, "0", "1"));
        QVERIFY(warnsAfter(id, 30));
        QCOMPARE(windowOf(id)->countdownText(), QString("将在 30 秒后睡眠"));
        QCOMPARE(windowOf(id)->description(), QString("从现在开始0小时1分后睡眠"));
        const Qt::WindowFlags onTop = Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint;
        QCOMPARE(windowOf(id)->windowFlags() & onTop, onTop);
        time->advanceSeconds(1);
        QTRY_COMPARE(windowOf(id)->countdownText(), QString("将在 29 秒后睡眠"));
        QVERIFY(scheduler->isWaiting(id));
        QVERIFY(runsAfter(29, 1));
        QCOMPARE(log.calls, QStringList{"interpreter: shutdown -h"});
        QCOMPARE(ended.count(), 1);
        QTRY_VERIFY(!windowShows(id));
        time->advanceSeconds(3600);
        QCOMPARE(log.calls.size(), 1);
    }

    void eachButtonOfTheWindow_data()
    {
        // Whether it repeats, the button pressed, the seconds it warned at, and those it ran at. Due 180 s after the
        // switch, or every 180 s; warned at 120 s, answered at 130 s.
        QTest::addColumn<Answering>("row");
        QTest::newRow("no answer") << Answering{true, "", {120, 300, 480, 660}, {180, 360, 540, 720}};
        QTest::newRow("run now") << Answering{false, "立即执行", {120}, {130}};
        // Again, repeating: the next period starts at the answer.
        QTest::newRow("run now, again") << Answering{true, "立即执行", {120, 250, 430, 610, 790}, {130, 310, 490, 670}};
        QTest::newRow("skip") << Answering{false, "取消本次", {120}, {}};
        QTest::newRow("skip, again") << Answering{true, "取消本次", {120, 250, 430, 610, 790}, {310, 490, 670}};
        // Ten minutes after its moment, warned again a minute before.
        QTest::newRow("postpone") << Answering{false, "推迟10分钟", {120, 720}, {780}};
        QTest::newRow("postpone, repeating") << Answering{true, "推迟10分钟", {120, 720}, {780}};
    }

    void eachButtonOfTheWindow()
    {
        QFETCH(Answering, row);
        const auto [repeating, button, warnedAt, ranAt] = row;
        const qint64 lease = scheduler->bootUptimeSeconds() + 180;
        QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
        const int id = armTask(repeating ? withLease(condition(TC::FromOnCommission, 2, "0", "1"), lease)
                                         : condition(TC::FromNowCommission, 2, "0", "3"));
        QList<int> warned, ran;
        for (int second = 1; second <= 800; ++second) {
            const int before = log.calls.size();
            const bool shown = windowShows(id);
            time->advanceSeconds(1);
            if (second == 130 && !button.isEmpty()) {
                QVERIFY(windowShows(id));
                for (QPushButton *press : windowOf(id)->findChildren<QPushButton *>())
                    if (press->text() == button)
                        QTest::mouseClick(press, Qt::LeftButton);
                QTRY_VERIFY(!windowShows(id));
            }
            if (windowShows(id) && !shown)
                warned << second;
            if (log.calls.size() > before)
                ran << second;
        }
        QCOMPARE(warned, warnedAt);
        QCOMPARE(ran, ranAt);
        QCOMPARE(log.calls.value(0, "log off"), QString("log off"));
        // A task that runs once switches off after the run, or when its run is skipped.
        QCOMPARE(scheduler->isArmed(id), repeating);
        QCOMPARE(ended.count(), repeating ? 0 : 1);
    }

    void skippingADailyTaskMovesItToTomorrow()
    {
        const QDateTime moment = Start.addSecs(300);
        const int id = armTask(calendarAt(TC::DayCommission, moment));
        QVERIFY(warnsAfter(id, 240));
        QCOMPARE(windowOf(id)->countdownText(), QString("将在 60 秒后关机"));
        scheduler->answerWarning(id, Rules::SkipThisRun);
        QVERIFY(scheduler->isWaiting(id));
        QDateTime next;
        QCOMPARE(scheduler->nextDueTask(&next), id);
        QCOMPARE(next, moment.addDays(1));
        time->advanceSeconds(86400);
        QVERIFY(log.calls.isEmpty());
        QVERIFY(windowShows(id));
        time->advanceSeconds(60);
        QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    }

    void warningEndsAndWhatRestartsTheTaskCancelsThatRun_data()
    {
        // The columns, the period, and what runs a period after the warning ends, if anything.
        QTest::addColumn<Ending>("row");
        const Record once = calendarAt(TC::OnceCommission, Start.addSecs(600));
        QTest::newRow("switched off") << Ending{once, 600, ""};
        QTest::newRow("slept through, as the moment is") << Ending{once, 600, ""};
        const Record idle = condition(TC::FreeCommission, 0, "0", "5");
        QTest::newRow("input during an idle warning") << Ending{idle, 300, "interpreter: shutdown -s -f"};
        QTest::newRow("rate above its threshold")
            << Ending{condition(TC::FromDownloadCommission, 11, "0", "3", "50"), 180, "disconnect all"};
    }

    void warningEndsAndWhatRestartsTheTaskCancelsThatRun()
    {
        QFETCH(Ending, row);
        const auto [columns, periodSeconds, call] = row;
        QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
        const int id = armTask(columns);
        QVERIFY(warnsAfter(id, periodSeconds - 60));
        time->advanceSeconds(30);
        const bool asleep = QByteArray(QTest::currentDataTag()).startsWith("slept");
        if (asleep)
            time->sleep(2 * 3600 * 1000), scheduler->recheckCalendarTasks();
        else if (call.isEmpty())
            scheduler->handleOperaSliderSignal(id, false);
        else if (columns.value("timer_mode").toInt() == Connection::IfFree)
            scheduler->listenMouseNKeyboard();
        else
            scheduler->overspeedMethod(50);
        QTRY_VERIFY(!windowShows(id));
        QCOMPARE(ended.count(), int(asleep));
        if (call.isEmpty()) {
            time->advanceSeconds(3600);
            QVERIFY(log.calls.isEmpty());
            return;
        }
        // A whole period from then: warned a minute before its end, run at its end.
        QVERIFY(warnsAfter(id, periodSeconds - 60));
        QVERIFY(runsAfter(60));
        QCOMPARE(log.calls, QStringList{call});
    }

    void actionsThatDoNotDisruptOrWithTheChoiceOffNeverWarn()
    {
        const int lock = addTask(condition(TC::FromNowCommission, 3, "0", "3"));
        const int display = addTask(condition(TC::FromNowCommission, 5, "0", "3"));
        startScheduler(false);
        const int id = addTask(condition(TC::FromNowCommission, 0, "0", "4"));
        QSignalSpy opened(scheduler.get(), &TaskScheduler::warningOpened);
        settings->setOn(UserSettings::WarnBeforeActions, true);
        for (int task : {lock, display})
            scheduler->handleOperaSliderSignal(task, true);
        time->advanceSeconds(179);
        QVERIFY(log.calls.isEmpty());
        time->advanceSeconds(1);
        QCOMPARE(log.calls.size(), 2);
        settings->setOn(UserSettings::WarnBeforeActions, false);
        scheduler->handleOperaSliderSignal(id, true);
        QVERIFY(runsAfter(240));
        QCOMPARE(log.calls.size(), 3);
        QCOMPARE(opened.count(), 0);
        QVERIFY(!windowOf(id));
        // Turned off while a warning shows: the window goes, the moment stays.
        settings->setOn(UserSettings::WarnBeforeActions, true);
        const int second = armTask(condition(TC::FromNowCommission, 0, "0", "3"));
        QVERIFY(warnsAfter(second, 120));
        settings->setOn(UserSettings::WarnBeforeActions, false);
        QTRY_VERIFY(!windowShows(second));
        QVERIFY(runsAfter(60, 1));
    }

private:
    // A new scheduler over the same database, clock and fakes, as at a program's start.
    void startScheduler(bool warn)
    {
        presenter.reset(), scheduler.reset();
        scheduler = std::make_unique<TaskScheduler>(
            TaskScheduler::Dependencies{&store->connection, executor.get(), sampler.get(), time.get(), time.get()},
            nullptr);
        settings->setOn(UserSettings::WarnBeforeActions, warn);
        presenter = std::make_unique<LastWarningPresenter>(scheduler.get(), settings.get(), nullptr);
    }

    // Adds a task as addTask() does and switches it on.
    int armTask(const Record &columns)
    {
        const int id = addTask(columns);
        scheduler->handleOperaSliderSignal(id, true);
        return id;
    }
    // Stores a task made from the composer's columns and loads it; its id, or -1.
    int addTask(const Record &columns, const QString &operand = QString())
    {
        if (!store->connection.insertPlan(TC::saveRecord(columns, operand, "-1")))
            return -1;
        scheduler->loadPlans();
        return scheduler->planList().last().value("id").toInt();
    }
    // Moves the clock on by `seconds`: true when exactly one action ran, and only
    // in the last second (the last millisecond when `unit` is 1).
    bool runsAfter(qint64 seconds, qint64 unit = 1000)
    {
        const int before = log.calls.size();
        time->advance(seconds * 1000 - unit);
        if (log.calls.size() != before)
            return false;
        time->advance(unit);
        return log.calls.size() == before + 1;
    }
    LastWarningWindow *windowOf(int id) const { return presenter->windowOf(id); }
    bool windowShows(int id) const { return windowOf(id) && windowOf(id)->isVisible(); }
    // Moves the clock on by `seconds`: true when the window shows in the last second only.
    bool warnsAfter(int id, int seconds)
    {
        time->advanceSeconds(seconds - 1);
        if (windowShows(id))
            return false;
        time->advanceSeconds(1);
        return windowShows(id);
    }

    ActionLog log;
    std::optional<ScratchDatabase> store;
    std::unique_ptr<NetInfoThread> sampler;
    std::unique_ptr<ManualTime> time;
    std::unique_ptr<ActionExecutor> executor;
    std::unique_ptr<UserSettings> settings;
    std::unique_ptr<TaskScheduler> scheduler;
    std::unique_ptr<LastWarningPresenter> presenter;
    Record storedTask(int id) { return store->connection.selectPlan({{"id", QString::number(id)}}).value(0); }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
