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
#include <QtTest>

#include <memory>

using TC = TaskComposer;

// The tasks that were switched on come back on at the next start in the same folder, when the
// user asked for it: the timed-task tab built again over the same database and settings file.
class TestRestoreTasks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
        TAVMouseNKeyboardHook::setSourceFactory([] { return std::make_unique<FakeInputSource>(); });
    }

    // Each test's state lasts until the next one starts.
    void init()
    {
        TAVMouseNKeyboardHook::uninstallHook();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settings.reset(), scratch.reset();
        scratch = std::make_unique<ScratchDirectory>();
        settings = std::make_unique<UserSettings>(scratch->filePath("settings.ini"), nullptr);
        log.calls.clear();
        Connection(nullptr).createTables();
    }

    void tasksThatWereOnAreOnAgain()
    {
        const QDateTime now = QDateTime::currentDateTime();
        const int first = countdown(0);
        const TC::CalendarChoice soon{now.addSecs(600).date(), now.addSecs(600).time().msecsSinceStartOfDay() / 1000};
        const int once = addTask(TC::calendarColumns(TC::OnceCommission, 0, soon));
        const int daily = addTask(TC::calendarColumns(TC::DayCommission, 0, soon));
        const int removed = countdown(2);
        const int leftOff = countdown(3);
        // With the choice off nothing is kept.
        {
            auto tab = startTab();
            QVERIFY(flip(*tab, first));
            QVERIFY(flip(*tab, 0));
            QVERIFY(kept().isEmpty());
        }
        QVERIFY(!startTab()->scheduler()->isArmed(first));
        settings->setOn(UserSettings::RestoreArmedTasks, true);
        {
            auto tab = startTab();
            for (int id : {first, once, daily, removed})
                QVERIFY(flip(*tab, id));
            tab->deletePlanFinish(tab->scheduler()->planList().at(tab->scheduler()->indexOfPlan(removed)));
            // Written as each switch moved: a program killed now keeps them.
            QCOMPARE(UserSettings(settings->fileName(), nullptr).armedTaskIds(Connection::databasePath()),
                     (QList<int>{first, once, daily}));
        }
        // While the program was not running, the moments of both calendar tasks went by.
        const qint64 past = now.addSecs(-3600).toSecsSinceEpoch();
        QSqlQuery(
            QString("UPDATE plan_t SET from_1970_seconds = %1 WHERE id IN (%2, %3)").arg(past).arg(once).arg(daily));
        auto tab = startTab();
        TaskScheduler *scheduler = tab->scheduler();
        // The daily task moves on to its next day; the once task stays off, without a message box.
        QVERIFY(scheduler->isWaiting(first) && scheduler->isWaiting(daily));
        QVERIFY(tab->rowView(scheduler->indexOfPlan(first))->slider()->isChecked());
        const qint64 next =
            scheduler->planList().at(scheduler->indexOfPlan(daily)).value("from_1970_seconds").toLongLong();
        QVERIFY2(next > QDateTime::currentSecsSinceEpoch() && next <= past + 2 * 86400,
                 qPrintable(QString::number(next)));
        QVERIFY(!tab->rowView(scheduler->indexOfPlan(once))->slider()->isChecked());
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<QMessageBox *>(window) && window->isVisible()));
        for (int id : {once, removed, leftOff, 0})
            QVERIFY(!scheduler->isArmed(id));
        // What is kept now is what is on now.
        QCOMPARE(kept(), (QList<int>{first, daily}));
        QVERIFY(log.calls.isEmpty());
    }

    void turningTheChoiceOffForgetsTheTasksAndEachFolderKeepsItsOwn()
    {
        const int id = countdown(0);
        {
            auto tab = startTab();
            QVERIFY(flip(*tab, id));
            // Turned on while the task is on: it is kept from then on.
            settings->setOn(UserSettings::RestoreArmedTasks, true);
            QCOMPARE(kept(), QList<int>{id});
            settings->setOn(UserSettings::RestoreArmedTasks, false);
            QVERIFY(kept().isEmpty());
            settings->setOn(UserSettings::RestoreArmedTasks, true);
            QVERIFY(!flip(*tab, id));
            QVERIFY(kept().isEmpty());
            QVERIFY(flip(*tab, id));
            settings->setOn(UserSettings::RestoreArmedTasks, false);
        }
        settings->setOn(UserSettings::RestoreArmedTasks, true);
        QVERIFY(!startTab()->scheduler()->isArmed(id));
        // Each folder keeps its own.
        QVERIFY(flip(*startTab(), 0));
        const QString firstFolder = Connection::databasePath();
        {
            ScratchDirectory other;
            Connection(nullptr).createTables();
            QVERIFY(!startTab()->scheduler()->isArmed(0));
            QVERIFY(kept().isEmpty());
        }
        QCOMPARE(settings->armedTaskIds(firstFolder), QList<int>{0});
    }

private:
    std::unique_ptr<ComputerManageWidget> startTab()
    {
        auto tab = std::make_unique<ComputerManageWidget>(nullptr, fakeActionServices(&log));
        tab->resize(900, 680);
        tab->show();
        tab->keepArmedTasks(settings.get());
        return tab;
    }
    static int addTask(const Connection::Record &columns)
    {
        Connection connection(nullptr);
        connection.insertPlan(TC::saveRecord(columns, QString(), "-1"));
        return connection.selectPlanList().last().value("id").toInt();
    }
    static int countdown(int orderId)
    {
        return addTask(TC::conditionColumns(TC::FromNowCommission, orderId, {"1", "0", "", false}));
    }
    // Clicks a task's switch; whether it is on afterwards.
    static bool flip(ComputerManageWidget &tab, int id)
    {
        QTest::mouseClick(tab.rowView(tab.scheduler()->indexOfPlan(id))->slider(), Qt::LeftButton);
        return tab.scheduler()->isArmed(id);
    }
    QList<int> kept() const { return settings->armedTaskIds(Connection::databasePath()); }

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<UserSettings> settings;
    ActionLog log;
};

QTEST_MAIN(TestRestoreTasks)
#include "tst_restore_tasks.moc"
