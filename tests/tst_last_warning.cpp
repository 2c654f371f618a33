#include "SchedulerHarness.h"
#include "schedule/LastWarningRules.h"
#include "storage/UserSettings.h"
#include "tasks_ui/LastWarningPresenter.h"
#include "tasks_ui/LastWarningWindow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using Record = Connection::Record;
using TC = TaskComposer;
using Rules = LastWarningRules;

namespace {

const QDateTime Start(QDate(2026, 12, 9), QTime(10, 0, 0));
const qint64 Minute = 60000;

Record countdown(int orderId, const QString &minutes)
{
    return TC::conditionColumns(TC::FromNowCommission, orderId, {"0", minutes, QString(), false});
}

Record calendarAt(TC::CommissionType kind, const QDateTime &moment)
{
    TC::CalendarChoice choice;
    choice.firstRun = moment.date();
    choice.timeOfDay = moment.time().msecsSinceStartOfDay() / 1000;
    return TC::calendarColumns(kind, 0, choice);
}

} // namespace

// The last warning before a disruptive action: its rules, and the scheduler and window on a
// clock the test moves.
class TestLastWarning : public QObject, private SchedulerHarness
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void leadDependsOnActionTriggerAndPeriod_data();
    void leadDependsOnActionTriggerAndPeriod();
    void countdownTextNamesTheAction_data();
    void countdownTextNamesTheAction();

    void warnsAheadAndRunsOnTimeWithoutAnswer_data();
    void warnsAheadAndRunsOnTimeWithoutAnswer();
    void eachButtonOfTheWindow_data();
    void eachButtonOfTheWindow();
    void skippingADailyTaskMovesItToTomorrow();
    void warningEndsWithoutARun_data();
    void warningEndsWithoutARun();
    void whatRestartsTheTaskCancelsThatRun_data();
    void whatRestartsTheTaskCancelsThatRun();
    void actionsThatDoNotDisruptOrWithTheChoiceOffNeverWarn();

private:
    void startScheduler(bool warn);
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

    std::unique_ptr<UserSettings> settings;
    std::unique_ptr<LastWarningPresenter> presenter;
};

void TestLastWarning::init()
{
    QVERIFY(setUpScheduler(Start));
    settings = std::make_unique<UserSettings>(scratch->filePath("settings.ini"), nullptr);
    startScheduler(true);
}

void TestLastWarning::startScheduler(bool warn)
{
    presenter.reset();
    SchedulerHarness::startScheduler();
    settings->setOn(UserSettings::WarnBeforeActions, warn);
    presenter = std::make_unique<LastWarningPresenter>(scheduler.get(), settings.get(), nullptr);
}

void TestLastWarning::cleanup()
{
    presenter.reset();
    settings.reset();
    tearDownScheduler();
}

void TestLastWarning::leadDependsOnActionTriggerAndPeriod_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<int>("timerMode");
    QTest::addColumn<qint64>("periodMs");
    QTest::addColumn<qint64>("leadMs");
    QTest::newRow("shut down, 3 min countdown") << 0 << int(Connection::FromNow) << 3 * Minute << Minute;
    QTest::newRow("restart, 2 min countdown") << 1 << int(Connection::FromNow) << 2 * Minute << Minute;
    QTest::newRow("log off, 1 min countdown: half") << 2 << int(Connection::FromNow) << Minute << 30000LL;
    QTest::newRow("sleep, 90 s idle: half") << 4 << int(Connection::IfFree) << 90000LL << 45000LL;
    QTest::newRow("stand-by, 1 min download rate") << 6 << int(Connection::FromNowInDownload) << Minute << 30000LL;
    QTest::newRow("disconnect, 1 min upload rate") << 11 << int(Connection::FromNowInUpload) << Minute << 30000LL;
    QTest::newRow("shut down, calendar a day away") << 0 << int(Connection::ToTarget) << 1440 * Minute << Minute;
    QTest::newRow("shut down, calendar 20 s away: all of it") << 0 << int(Connection::ToTarget) << 20000LL << 20000LL;
    QTest::newRow("lock") << 3 << int(Connection::FromNow) << 10 * Minute << 0LL;
    QTest::newRow("nothing left to warn of") << 0 << int(Connection::ToTarget) << 0LL << 0LL;
}

void TestLastWarning::leadDependsOnActionTriggerAndPeriod()
{
    QFETCH(int, orderId);
    QFETCH(int, timerMode);
    QFETCH(qint64, periodMs);
    QFETCH(qint64, leadMs);
    QCOMPARE(Rules::leadMs(orderId, timerMode, periodMs), leadMs);
}

void TestLastWarning::countdownTextNamesTheAction_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<qint64>("remainingMs");
    QTest::addColumn<QString>("text");
    QTest::newRow("rounded up") << 1 << 58001LL << "将在 59 秒后重启";
    QTest::newRow("sleep") << 4 << 1LL << "将在 1 秒后睡眠";
    QTest::newRow("disconnect, due") << 11 << 0LL << "将在 0 秒后断开网络";
}

void TestLastWarning::countdownTextNamesTheAction()
{
    QFETCH(int, orderId);
    QFETCH(qint64, remainingMs);
    QFETCH(QString, text);
    QCOMPARE(Rules::countdownText(orderId, remainingMs), text);
}

void TestLastWarning::warnsAheadAndRunsOnTimeWithoutAnswer_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("leadSeconds");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("call");
    QTest::newRow("3 min: a minute") << 0 << "3" << 60 << "关机"
                                     << "interpreter: shutdown -s -f";
    QTest::newRow("1 min: half of it") << 4 << "1" << 30 << "睡眠"
                                       << "interpreter: shutdown -h";
}

void TestLastWarning::warnsAheadAndRunsOnTimeWithoutAnswer()
{
    QFETCH(int, orderId);
    QFETCH(QString, minutes);
    QFETCH(int, leadSeconds);
    QFETCH(QString, name);
    QFETCH(QString, call);
    const int id = addTask(countdown(orderId, minutes));
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    QVERIFY(warnsAfter(id, minutes.toInt() * 60 - leadSeconds));
    QCOMPARE(windowOf(id)->countdownText(), QString("将在 %1 秒后%2").arg(leadSeconds).arg(name));
    QCOMPARE(windowOf(id)->description(), QString("从现在开始0小时%1分后%2").arg(minutes, name));
    QVERIFY(windowOf(id)->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(windowOf(id)->windowFlags() & Qt::FramelessWindowHint);
    time->advanceSeconds(1);
    QTRY_COMPARE(windowOf(id)->countdownText(), QString("将在 %1 秒后%2").arg(leadSeconds - 1).arg(name));
    QVERIFY(scheduler->isWaiting(id));
    QVERIFY(runsAfter(leadSeconds - 1, 1));
    QCOMPARE(log.calls, QStringList{call});
    QCOMPARE(ended.count(), 1);
    QTRY_VERIFY(!windowShows(id));
    time->advanceSeconds(3600);
    QCOMPARE(log.calls.size(), 1);
}

void TestLastWarning::eachButtonOfTheWindow_data()
{
    QTest::addColumn<bool>("repeating");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<int>>("warnedAt");
    QTest::addColumn<QList<int>>("ranAt");
    // Due 180 s after the switch, or every 180 s; warned at 120 s, answered at 130 s.
    QTest::newRow("no answer") << true << "" << QList<int>{120, 300, 480, 660} << QList<int>{180, 360, 540, 720};
    QTest::newRow("run now") << false << "立即执行" << QList<int>{120} << QList<int>{130};
    QTest::newRow("run now: the next period starts now")
        << true << "立即执行" << QList<int>{120, 250, 430, 610, 790} << QList<int>{130, 310, 490, 670};
    QTest::newRow("skip") << false << "取消本次" << QList<int>{120} << QList<int>{};
    QTest::newRow("skip: the next period starts now")
        << true << "取消本次" << QList<int>{120, 250, 430, 610, 790} << QList<int>{310, 490, 670};
    // Ten minutes after its moment, warned again a minute before.
    QTest::newRow("postpone") << false << "推迟10分钟" << QList<int>{120, 720} << QList<int>{780};
    QTest::newRow("postpone, repeating") << true << "推迟10分钟" << QList<int>{120, 720} << QList<int>{780};
}

void TestLastWarning::eachButtonOfTheWindow()
{
    QFETCH(bool, repeating);
    QFETCH(QString, button);
    QFETCH(QList<int>, warnedAt);
    QFETCH(QList<int>, ranAt);
    Record columns = countdown(2, "3");
    if (repeating) {
        columns = TC::conditionColumns(TC::FromOnCommission, 2, {"0", "1", QString(), false});
        columns["lease_second"] = QString::number(scheduler->bootUptimeSeconds() + 180);
    }
    const int id = addTask(columns);
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    QList<int> warned;
    QList<int> ran;
    for (int second = 1; second <= 800; ++second) {
        const int before = log.calls.size();
        const bool shown = windowShows(id);
        time->advanceSeconds(1);
        if (second == 130 && !button.isEmpty()) {
            QVERIFY(windowShows(id));
            for (QPushButton *press : windowOf(id)->findChildren<QPushButton *>()) {
                if (press->text() == button)
                    QTest::mouseClick(press, Qt::LeftButton);
            }
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

void TestLastWarning::skippingADailyTaskMovesItToTomorrow()
{
    const QDateTime moment = Start.addSecs(300);
    const int id = addTask(calendarAt(TC::DayCommission, moment));
    scheduler->handleOperaSliderSignal(id, true);
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

void TestLastWarning::warningEndsWithoutARun_data()
{
    QTest::addColumn<bool>("asleep");
    QTest::newRow("switched off") << false;
    QTest::newRow("slept through, as the moment is") << true;
}

void TestLastWarning::warningEndsWithoutARun()
{
    QFETCH(bool, asleep);
    const int id = addTask(calendarAt(TC::OnceCommission, Start.addSecs(600)));
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    QVERIFY(warnsAfter(id, 540));
    if (asleep) {
        time->sleep(2 * 3600 * 1000);
        scheduler->recheckCalendarTasks();
    } else {
        scheduler->handleOperaSliderSignal(id, false);
    }
    QTRY_VERIFY(!windowShows(id));
    QCOMPARE(ended.count(), int(asleep));
    time->advanceSeconds(3600);
    QVERIFY(log.calls.isEmpty());
}

void TestLastWarning::whatRestartsTheTaskCancelsThatRun_data()
{
    QTest::addColumn<Record>("columns");
    QTest::addColumn<int>("periodSeconds");
    QTest::addColumn<QString>("call");
    QTest::newRow("input during an idle warning")
        << TC::conditionColumns(TC::FreeCommission, 0, {"0", "5", QString(), false}) << 300
        << "interpreter: shutdown -s -f";
    QTest::newRow("rate above its threshold")
        << TC::conditionColumns(TC::FromDownloadCommission, 11, {"0", "3", "50", false}) << 180 << "disconnect all";
}

void TestLastWarning::whatRestartsTheTaskCancelsThatRun()
{
    QFETCH(Record, columns);
    QFETCH(int, periodSeconds);
    QFETCH(QString, call);
    const int id = addTask(columns);
    scheduler->handleOperaSliderSignal(id, true);
    QVERIFY(warnsAfter(id, periodSeconds - 60));
    time->advanceSeconds(30);
    if (columns.value("timer_mode").toInt() == Connection::IfFree) {
        scheduler->listenMouseNKeyboard();
    } else {
        QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{50});
        scheduler->overspeedMethod(50);
    }
    QTRY_VERIFY(!windowShows(id));
    // A whole period from then: warned a minute before its end, run at its end.
    QVERIFY(warnsAfter(id, periodSeconds - 60));
    QVERIFY(runsAfter(60));
    QCOMPARE(log.calls, QStringList{call});
}

void TestLastWarning::actionsThatDoNotDisruptOrWithTheChoiceOffNeverWarn()
{
    const int lock = addTask(countdown(3, "3"));
    const int display = addTask(countdown(5, "3"));
    startScheduler(false);
    const int id = addTask(countdown(0, "4"));
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
    const int second = addTask(countdown(0, "3"));
    scheduler->handleOperaSliderSignal(second, true);
    QVERIFY(warnsAfter(second, 120));
    settings->setOn(UserSettings::WarnBeforeActions, false);
    QTRY_VERIFY(!windowShows(second));
    QVERIFY(runsAfter(60, 1));
}

QTEST_MAIN(TestLastWarning)
#include "tst_last_warning.moc"
