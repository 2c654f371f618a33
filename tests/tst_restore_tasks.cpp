#include "FakeActionServices.h"
#include "FakeInputSource.h"
#include "ScratchDirectory.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "storage/UserSettings.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"

#include <QMessageBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Record = Connection::Record;
using TC = TaskComposer;

// The tasks that were switched on come back on at the next start in the same folder, when the
// user asked for it: the timed-task tab built again over the same database and settings file.
class TestRestoreTasks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tasksThatWereOnAreOnAgain();
    void nothingIsKeptWithTheChoiceOff();
    void turningTheChoiceOffForgetsTheTasks();
    void eachFolderKeepsItsOwn();

private:
    std::unique_ptr<ComputerManageWidget> startTab(UserSettings &settings);
    int addTask(const Record &columns);
    static void switchOn(ComputerManageWidget &tab, int id);
    static SliderWidget *switchOf(ComputerManageWidget &tab, int id);
    QString settingsFile() const { return settingsFolder.filePath("settings.ini"); }

    std::unique_ptr<ScratchDirectory> scratch;
    QTemporaryDir settingsFolder;
    ActionLog log;
};

void TestRestoreTasks::initTestCase()
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
    TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
}

void TestRestoreTasks::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    QFile::remove(settingsFile());
    log.calls.clear();
    Connection(nullptr).createTables();
}

void TestRestoreTasks::cleanup()
{
    TAVMouseNKeyboardHook::uninstallHook();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    scratch.reset();
}

std::unique_ptr<ComputerManageWidget> TestRestoreTasks::startTab(UserSettings &settings)
{
    auto tab = std::make_unique<ComputerManageWidget>(nullptr, fakeActionServices(&log));
    tab->resize(900, 680);
    tab->show();
    tab->keepArmedTasks(&settings);
    return tab;
}

int TestRestoreTasks::addTask(const Record &columns)
{
    Connection connection(nullptr);
    connection.insertPlan(TC::saveRecord(columns, QString(), "-1"));
    return connection.selectPlanList().last().value("id").toInt();
}

SliderWidget *TestRestoreTasks::switchOf(ComputerManageWidget &tab, int id)
{
    const int row = tab.scheduler()->indexOfPlan(id);
    return row == -1 ? nullptr : tab.rowView(row)->slider();
}

void TestRestoreTasks::switchOn(ComputerManageWidget &tab, int id)
{
    QTest::mouseClick(switchOf(tab, id), Qt::LeftButton);
    QVERIFY(tab.scheduler()->isArmed(id));
}

void TestRestoreTasks::tasksThatWereOnAreOnAgain()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int countdown = addTask(TC::conditionColumns(TC::FromNowCommission, 0, {"1", "0", "", false}));
    TC::CalendarChoice soon;
    soon.firstRun = now.addSecs(600).date();
    soon.timeOfDay = now.addSecs(600).time().msecsSinceStartOfDay() / 1000;
    const int once = addTask(TC::calendarColumns(TC::OnceCommission, 0, soon));
    const int daily = addTask(TC::calendarColumns(TC::DayCommission, 0, soon));
    const int removed = addTask(TC::conditionColumns(TC::FromNowCommission, 2, {"2", "0", "", false}));
    const int leftOff = addTask(TC::conditionColumns(TC::FromNowCommission, 3, {"3", "0", "", false}));

    UserSettings settings(settingsFile(), nullptr);
    settings.setOn(UserSettings::RestoreArmedTasks, true);
    {
        auto tab = startTab(settings);
        for (int id : {countdown, once, daily, removed})
            switchOn(*tab, id);
        const Record removedRow = tab->scheduler()->planList().at(tab->scheduler()->indexOfPlan(removed));
        tab->deletePlanFinish(removedRow);
        // Written as each switch moved: a program killed now keeps them.
        QCOMPARE(UserSettings(settingsFile(), nullptr).armedTaskIds(Connection::databasePath()),
                 (QList<int>{countdown, once, daily}));
    }
    // While the program was not running, the moments of both calendar tasks went by.
    const qint64 past = now.addSecs(-3600).toSecsSinceEpoch();
    QSqlQuery(QSqlDatabase::database())
        .exec(QStringLiteral("UPDATE plan_t SET from_1970_seconds = %1 WHERE id IN (%2, %3)")
                  .arg(past)
                  .arg(once)
                  .arg(daily));

    UserSettings again(settingsFile(), nullptr);
    auto tab = startTab(again);
    TaskScheduler *scheduler = tab->scheduler();
    QVERIFY(scheduler->isWaiting(countdown));
    QVERIFY(switchOf(*tab, countdown)->isChecked());
    // The daily task moves on to its next day; the once task stays off, without a message box.
    QVERIFY(scheduler->isWaiting(daily));
    const qint64 next = scheduler->planList().at(scheduler->indexOfPlan(daily)).value("from_1970_seconds").toLongLong();
    QVERIFY2(next > QDateTime::currentSecsSinceEpoch() && next <= past + 2 * 86400, qPrintable(QString::number(next)));
    QVERIFY(!scheduler->isArmed(once));
    QVERIFY(!switchOf(*tab, once)->isChecked());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<QMessageBox *>(window) && window->isVisible()));
    QVERIFY(!scheduler->isArmed(removed));
    QVERIFY(!scheduler->isArmed(leftOff));
    QVERIFY(!scheduler->isArmed(0));
    // What is kept now is what is on now.
    QCOMPARE(again.armedTaskIds(Connection::databasePath()), (QList<int>{countdown, daily}));
    QVERIFY(log.calls.isEmpty());
}

void TestRestoreTasks::nothingIsKeptWithTheChoiceOff()
{
    const int countdown = addTask(TC::conditionColumns(TC::FromNowCommission, 0, {"1", "0", "", false}));
    UserSettings settings(settingsFile(), nullptr);
    {
        auto tab = startTab(settings);
        switchOn(*tab, countdown);
        switchOn(*tab, 0);
    }
    QVERIFY(settings.armedTaskIds(Connection::databasePath()).isEmpty());
    auto tab = startTab(settings);
    QVERIFY(!tab->scheduler()->isArmed(countdown));
    QVERIFY(!tab->scheduler()->isArmed(0));
}

void TestRestoreTasks::turningTheChoiceOffForgetsTheTasks()
{
    const int countdown = addTask(TC::conditionColumns(TC::FromNowCommission, 0, {"1", "0", "", false}));
    UserSettings settings(settingsFile(), nullptr);
    {
        auto tab = startTab(settings);
        switchOn(*tab, countdown);
        // Turned on while the task is on: it is kept from then on.
        settings.setOn(UserSettings::RestoreArmedTasks, true);
        QCOMPARE(settings.armedTaskIds(Connection::databasePath()), QList<int>{countdown});
        settings.setOn(UserSettings::RestoreArmedTasks, false);
        QVERIFY(settings.armedTaskIds(Connection::databasePath()).isEmpty());
        settings.setOn(UserSettings::RestoreArmedTasks, true);
        QCOMPARE(settings.armedTaskIds(Connection::databasePath()), QList<int>{countdown});
        QTest::mouseClick(switchOf(*tab, countdown), Qt::LeftButton);
        QVERIFY(settings.armedTaskIds(Connection::databasePath()).isEmpty());
        switchOn(*tab, countdown);
        settings.setOn(UserSettings::RestoreArmedTasks, false);
    }
    settings.setOn(UserSettings::RestoreArmedTasks, true);
    auto tab = startTab(settings);
    QVERIFY(!tab->scheduler()->isArmed(countdown));
}

void TestRestoreTasks::eachFolderKeepsItsOwn()
{
    UserSettings settings(settingsFile(), nullptr);
    settings.setOn(UserSettings::RestoreArmedTasks, true);
    {
        auto tab = startTab(settings);
        switchOn(*tab, 0);
    }
    const QString firstFolder = Connection::databasePath();
    {
        ScratchDirectory other;
        Connection(nullptr).createTables();
        auto tab = startTab(settings);
        QVERIFY(!tab->scheduler()->isArmed(0));
        QVERIFY(settings.armedTaskIds(Connection::databasePath()).isEmpty());
    }
    QCOMPARE(settings.armedTaskIds(firstFolder), QList<int>{0});
}

QTEST_MAIN(TestRestoreTasks)
#include "tst_restore_tasks.moc"
