#include "SchedulerHarness.h"
#include "schedule/LastWarningRules.h"
#include "storage/UserSettings.h"
#include "tasks_ui/LastWarningPresenter.h"
#include "tasks_ui/LastWarningWindow.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;
using Rules = LastWarningRules;

namespace {

const QDateTime Start(QDate(2026, 12, 9), QTime(10, 0, 0));

Record countdown(int orderId, const QString &minutes)
{
    return TC::conditionColumns(TC::FromNowCommission, orderId, {"0", minutes, QString(), false});
}

Record dailyAt(const QDateTime &moment, int orderId)
{
    TC::CalendarChoice choice;
    choice.firstRun = moment.date();
    choice.timeOfDay = moment.time().msecsSinceStartOfDay() / 1000;
    choice.weekday = moment.date().dayOfWeek();
    choice.monthDay = choice.day = moment.date().day();
    choice.month = moment.date().month();
    return TC::calendarColumns(TC::DayCommission, orderId, choice);
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
    void answerDecidesWhenTheActionRuns_data();
    void answerDecidesWhenTheActionRuns();

    void repeatingTaskAfterEachAnswer_data();
    void repeatingTaskAfterEachAnswer();
    void threeMinuteCountdownWarnsAMinuteBeforeAndRunsOnTimeWithoutAnswer();
    void skipThisRunReachesNothing();
    void postponeRunsTenMinutesLater();
    void runNowRunsAtOnceAndOnlyOnce();
    void skippingADailyTaskMovesItToTomorrow();
    void shortCountdownWarnsForHalfItsPeriod();
    void warningSleptThroughIsMissedAsTheMomentIs();
    void inputDuringAnIdleWarningCancelsThatRun();
    void rateAboveItsThresholdDuringTheWarningCancelsThatRun();
    void switchingTheTaskOffClosesItsWarning();
    void actionsThatDoNotDisruptNeverWarn();
    void withTheChoiceOffNoWindowAppears();

private:
    void startScheduler(bool warn);
    LastWarningWindow *windowOf(int id) const { return presenter->windowOf(id); }
    bool windowShows(int id) const { return windowOf(id) && windowOf(id)->isVisible(); }

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
    const qint64 minute = 60000;
    QTest::newRow("shut down, 3 min countdown") << 0 << int(Connection::FromNow) << 3 * minute << minute;
    QTest::newRow("restart, 2 min countdown") << 1 << int(Connection::FromNow) << 2 * minute << minute;
    QTest::newRow("log off, 1 min countdown: half") << 2 << int(Connection::FromNow) << minute << 30000LL;
    QTest::newRow("sleep, 90 s idle: half") << 4 << int(Connection::IfFree) << 90000LL << 45000LL;
    QTest::newRow("stand-by, 1 min download rate") << 6 << int(Connection::FromNowInDownload) << minute << 30000LL;
    QTest::newRow("disconnect, 10 min upload rate") << 11 << int(Connection::FromNowInUpload) << 10 * minute << minute;
    QTest::newRow("shut down, calendar a day away") << 0 << int(Connection::ToTarget) << 1440 * minute << minute;
    QTest::newRow("shut down, calendar 20 s away: all of it") << 0 << int(Connection::ToTarget) << 20000LL << 20000LL;
    QTest::newRow("restart, after power-on 90 s away") << 1 << int(Connection::FromTurnOn) << 90000LL << minute;
    QTest::newRow("lock") << 3 << int(Connection::FromNow) << 10 * minute << 0LL;
    QTest::newRow("display off") << 5 << int(Connection::IfFree) << 10 * minute << 0LL;
    QTest::newRow("run a program") << 7 << int(Connection::ToTarget) << 10 * minute << 0LL;
    QTest::newRow("open an address") << 8 << int(Connection::FromNow) << 10 * minute << 0LL;
    QTest::newRow("open a file") << 9 << int(Connection::FromNow) << 10 * minute << 0LL;
    QTest::newRow("close a program") << 10 << int(Connection::FromNow) << 10 * minute << 0LL;
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
    QTest::newRow("shut down") << 0 << 59000LL << "将在 59 秒后关机";
    QTest::newRow("rounded up") << 1 << 58001LL << "将在 59 秒后重启";
    QTest::newRow("log off") << 2 << 60000LL << "将在 60 秒后注销当前用户";
    QTest::newRow("sleep") << 4 << 1LL << "将在 1 秒后睡眠";
    QTest::newRow("stand-by") << 6 << 30000LL << "将在 30 秒后待机";
    QTest::newRow("disconnect, due") << 11 << 0LL << "将在 0 秒后断开网络";
}

void TestLastWarning::countdownTextNamesTheAction()
{
    QFETCH(int, orderId);
    QFETCH(qint64, remainingMs);
    QFETCH(QString, text);
    QCOMPARE(Rules::countdownText(orderId, remainingMs), text);
}

void TestLastWarning::answerDecidesWhenTheActionRuns_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<qint64>("runsAt");
    QTest::addColumn<bool>("endsAtOnce");
    // Due at 100 s, answered at 60 s.
    QTest::newRow("no answer: when due") << int(Rules::NoAnswer) << 100000LL << false;
    QTest::newRow("run now") << int(Rules::RunNow) << 60000LL << true;
    QTest::newRow("postpone: ten minutes after it was due") << int(Rules::Postpone) << 700000LL << false;
    QTest::newRow("skip: never this time") << int(Rules::SkipThisRun) << -1LL << true;
}

void TestLastWarning::answerDecidesWhenTheActionRuns()
{
    QFETCH(int, answer);
    QFETCH(qint64, runsAt);
    QFETCH(bool, endsAtOnce);
    QCOMPARE(Rules::runMomentMs(Rules::Answer(answer), 100000, 60000), runsAt);
    QCOMPARE(Rules::endsRunAtOnce(Rules::Answer(answer)), endsAtOnce);
}

void TestLastWarning::repeatingTaskAfterEachAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("runSeconds");
    // Repeats every 180 s after it is switched on; warned at 120 s, answered at 130 s.
    QTest::newRow("no answer") << int(Rules::NoAnswer) << QList<int>{180, 360, 540};
    QTest::newRow("run now: the next period starts now") << int(Rules::RunNow) << QList<int>{130, 310, 490};
    QTest::newRow("skip: the next period starts now") << int(Rules::SkipThisRun) << QList<int>{310, 490};
    QTest::newRow("postpone: ten minutes after its moment") << int(Rules::Postpone) << QList<int>{780};
}

void TestLastWarning::repeatingTaskAfterEachAnswer()
{
    QFETCH(int, answer);
    QFETCH(QList<int>, runSeconds);
    Record columns = TC::conditionColumns(TC::FromOnCommission, 1, {"0", "1", QString(), false});
    columns["lease_second"] = QString::number(scheduler->bootUptimeSeconds() + 180);
    const int id = addTask(columns);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(130);
    QVERIFY(scheduler->hasOpenWarning(id));
    scheduler->answerWarning(id, Rules::Answer(answer));
    QList<int> ran;
    if (!log.calls.isEmpty())
        ran << 130;
    for (int second = 131; second <= 800; ++second) {
        const int before = log.calls.size();
        time->advanceSeconds(1);
        if (log.calls.size() > before)
            ran << second;
    }
    // Later warnings are answered by nobody: those runs come when due.
    QCOMPARE(ran.mid(0, runSeconds.size()), runSeconds);
    QVERIFY(scheduler->isArmed(id));
}

void TestLastWarning::threeMinuteCountdownWarnsAMinuteBeforeAndRunsOnTimeWithoutAnswer()
{
    const int id = addTask(countdown(0, "3"));
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(119);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    QVERIFY(windowShows(id));
    QCOMPARE(windowOf(id)->countdownText(), QString("将在 60 秒后关机"));
    QCOMPARE(windowOf(id)->description(), QString("从现在开始0小时3分后关机"));
    QVERIFY(windowOf(id)->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(windowOf(id)->windowFlags() & Qt::FramelessWindowHint);
    time->advanceSeconds(1);
    QTRY_COMPARE(windowOf(id)->countdownText(), QString("将在 59 秒后关机"));
    QVERIFY(scheduler->isWaiting(id));
    time->advance(58999);
    QVERIFY(log.calls.isEmpty());
    time->advance(1);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    QCOMPARE(ended.count(), 1);
    QTRY_VERIFY(!windowShows(id));
    time->advanceSeconds(3600);
    QCOMPARE(log.calls.size(), 1);
}

void TestLastWarning::skipThisRunReachesNothing()
{
    const int id = addTask(countdown(1, "3"));
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(130);
    QVERIFY(windowShows(id));
    QTest::mouseClick(windowOf(id)->skipButton(), Qt::LeftButton);
    QTRY_VERIFY(!windowShows(id));
    // A once task switches off as after a run.
    QCOMPARE(ended.count(), 1);
    QVERIFY(!scheduler->isArmed(id));
    time->advanceSeconds(3600);
    QVERIFY(log.calls.isEmpty());
}

void TestLastWarning::postponeRunsTenMinutesLater()
{
    const int id = addTask(countdown(0, "3"));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(150);
    QTest::mouseClick(windowOf(id)->postponeButton(), Qt::LeftButton);
    QTRY_VERIFY(!windowShows(id));
    QVERIFY(scheduler->isArmed(id));
    time->advanceSeconds(30); // its old moment
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(540 - 1);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    // The postponed run warns again a minute before.
    QVERIFY(windowShows(id));
    QCOMPARE(windowOf(id)->countdownText(), QString("将在 60 秒后关机"));
    time->advance(59999);
    QVERIFY(log.calls.isEmpty());
    time->advance(1);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    time->advanceSeconds(3600);
    QCOMPARE(log.calls.size(), 1);
}

void TestLastWarning::runNowRunsAtOnceAndOnlyOnce()
{
    const int id = addTask(countdown(2, "3"));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(125);
    QTest::mouseClick(windowOf(id)->runNowButton(), Qt::LeftButton);
    QCOMPARE(log.calls, QStringList{"log off"});
    QTRY_VERIFY(!windowShows(id));
    time->advanceSeconds(3600);
    QCOMPARE(log.calls.size(), 1);
}

void TestLastWarning::skippingADailyTaskMovesItToTomorrow()
{
    const QDateTime moment = Start.addSecs(300);
    const int id = addTask(dailyAt(moment, 0));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(239);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    QVERIFY(windowShows(id));
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

void TestLastWarning::warningSleptThroughIsMissedAsTheMomentIs()
{
    const int id = addTask(TC::calendarColumns(TC::OnceCommission, 0, [] {
        TC::CalendarChoice choice;
        choice.firstRun = Start.date();
        choice.timeOfDay = Start.time().msecsSinceStartOfDay() / 1000 + 600;
        return choice;
    }()));
    QSignalSpy ended(scheduler.get(), &TaskScheduler::taskEnded);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(550);
    QVERIFY(windowShows(id));
    time->sleep(2 * 3600 * 1000);
    scheduler->recheckCalendarTasks();
    QTRY_VERIFY(!windowShows(id));
    QCOMPARE(ended.count(), 1);
    time->advanceSeconds(3600);
    QVERIFY(log.calls.isEmpty());
}

void TestLastWarning::shortCountdownWarnsForHalfItsPeriod()
{
    const int id = addTask(countdown(4, "1"));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(29);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    QCOMPARE(windowOf(id)->countdownText(), QString("将在 30 秒后睡眠"));
    time->advanceSeconds(30);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -h"});
}

void TestLastWarning::inputDuringAnIdleWarningCancelsThatRun()
{
    const int id = addTask(TC::conditionColumns(TC::FreeCommission, 0, {"0", "5", QString(), false}));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(240);
    QVERIFY(windowShows(id));
    time->advanceSeconds(10);
    scheduler->listenMouseNKeyboard();
    QTRY_VERIFY(!windowShows(id));
    time->advanceSeconds(60);
    QVERIFY(log.calls.isEmpty());
    // Counting starts again at the input: the next warning four minutes later.
    time->advanceSeconds(240 - 60 - 1);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    QVERIFY(windowShows(id));
    time->advanceSeconds(60);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
}

void TestLastWarning::rateAboveItsThresholdDuringTheWarningCancelsThatRun()
{
    const int id = addTask(TC::conditionColumns(TC::FromDownloadCommission, 11, {"0", "3", "50", false}));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(120);
    QVERIFY(windowShows(id));
    time->advanceSeconds(30);
    QCOMPARE(sampler->downloadStandSpeedList(), QList<int>{50});
    scheduler->overspeedMethod(50);
    QTRY_VERIFY(!windowShows(id));
    // A whole period from that report: warned two minutes later, run a minute after that.
    time->advanceSeconds(119);
    QVERIFY(!windowShows(id));
    time->advanceSeconds(1);
    QVERIFY(windowShows(id));
    time->advanceSeconds(60);
    QCOMPARE(log.calls, QStringList{"disconnect all"});
}

void TestLastWarning::switchingTheTaskOffClosesItsWarning()
{
    const int id = addTask(countdown(6, "3"));
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(130);
    QVERIFY(windowShows(id));
    scheduler->handleOperaSliderSignal(id, false);
    QTRY_VERIFY(!windowShows(id));
    time->advanceSeconds(3600);
    QVERIFY(log.calls.isEmpty());
}

void TestLastWarning::actionsThatDoNotDisruptNeverWarn()
{
    const int lock = addTask(countdown(3, "3"));
    const int display = addTask(countdown(5, "3"));
    QSignalSpy opened(scheduler.get(), &TaskScheduler::warningOpened);
    scheduler->handleOperaSliderSignal(lock, true);
    scheduler->handleOperaSliderSignal(display, true);
    time->advanceSeconds(179);
    QCOMPARE(opened.count(), 0);
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls.size(), 2);
    QCOMPARE(opened.count(), 0);
}

void TestLastWarning::withTheChoiceOffNoWindowAppears()
{
    startScheduler(false);
    const int id = addTask(countdown(0, "3"));
    QSignalSpy opened(scheduler.get(), &TaskScheduler::warningOpened);
    scheduler->handleOperaSliderSignal(id, true);
    time->advanceSeconds(179);
    QCOMPARE(opened.count(), 0);
    QVERIFY(!windowOf(id));
    QVERIFY(log.calls.isEmpty());
    time->advanceSeconds(1);
    QCOMPARE(log.calls, QStringList{"interpreter: shutdown -s -f"});
    // Turned off while a warning shows: the window goes, the moment stays.
    settings->setOn(UserSettings::WarnBeforeActions, true);
    const int second = addTask(countdown(0, "3"));
    scheduler->handleOperaSliderSignal(second, true);
    time->advanceSeconds(120);
    QVERIFY(windowShows(second));
    settings->setOn(UserSettings::WarnBeforeActions, false);
    QTRY_VERIFY(!windowShows(second));
    time->advance(59999);
    QCOMPARE(log.calls.size(), 1);
    time->advance(1);
    QCOMPARE(log.calls.size(), 2);
}

QTEST_MAIN(TestLastWarning)
#include "tst_last_warning.moc"
