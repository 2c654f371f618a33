#include "MockSystemBus.h"
#include "ScratchDirectory.h"
#include "VirtualDisplay.h"
#include "app/Tickvale.h"
#include "app/TrayIcon.h"
#include "app/TrayTooltip.h"
#include "app/VATCloseMessageBox.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "storage/UserSettings.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/LastWarningPresenter.h"
#include "tasks_ui/LastWarningWindow.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"

#include <QApplication>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using TC = TaskComposer;

namespace {

// The display and its tray host come up before the application connects to a display.
bool startDisplayWithTray(VirtualDisplay &display, QProcess &trayHost)
{
    if (!VirtualDisplay::toolsPresent() || QStandardPaths::findExecutable("trayer").isEmpty() || !display.start(171))
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.displayName());
    trayHost.setProcessEnvironment(environment);
    // A panel of its own in the top right corner that takes in tray icons.
    trayHost.start("trayer",
                   {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--heighttype",
                    "pixel", "--height", "28", "--tint", "0x303030", "--transparent", "false"});
    if (!trayHost.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100 && !display.xdotool({"search", "--name", "^panel$"}); ++i)
        QThread::msleep(50);
    return display.xdotool({"search", "--name", "^panel$"});
}

Connection::Record onceAt(const QDateTime &moment, int orderId)
{
    TC::CalendarChoice choice;
    choice.firstRun = moment.date();
    choice.timeOfDay = moment.time().msecsSinceStartOfDay() / 1000;
    return TC::calendarColumns(TC::OnceCommission, orderId, choice);
}

// The enable_state column of every task, in the order of their ids.
QStringList enableStates()
{
    QStringList states;
    QSqlQuery query("select enable_state from plan_t order by id");
    while (query.next())
        states << query.value(0).toString();
    return states;
}

} // namespace

// The tray icon, and the warning window, on a virtual display with a tray host, as a user
// meets them.
class TestTray : public QObject
{
    Q_OBJECT
public:
    bool displayReady = false;

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void toolTipSaysWhenTheNextTaskRuns_data();
    void toolTipSaysWhenTheNextTaskRuns();
    void iconShowsAndNamesTheNextTask();
    void pauseAllTasksSwitchesEveryTaskOffAndExitAsks();
    void warningWindowShowsAndRunsNowOnTheSystemBus();

private:
    void needsDisplay();
    int addTask(const Connection::Record &columns);
    void switchOn(Tickvale &window, int id);
    QAction *menuAction(TrayIcon *tray, const QString &text);

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
    MockSystemBus bus;
    bool busReady = false;
};

void TestTray::initTestCase()
{
    busReady = MockSystemBus::toolsPresent() && bus.start() && bus.startMock("logind", "org.freedesktop.login1");
    // Whatever a task here asks for reaches the mock, or no manager at all.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS",
            busReady ? bus.address().toUtf8() : QByteArray("unix:path=/nonexistent/tickvale-test-bus"));
    qputenv("XDG_SESSION_ID", "tray");
}

void TestTray::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    connection = std::make_unique<Connection>(nullptr);
    QVERIFY(connection->createTables());
    UserSettings().setOn(UserSettings::WarnBeforeActions, true);
}

void TestTray::cleanup()
{
    TAVMouseNKeyboardHook::uninstallHook();
    connection.reset();
    scratch.reset();
}

void TestTray::needsDisplay()
{
    if (!displayReady)
        QSKIP("Xvfb, xdotool and trayer are needed (scripts/setup.sh installs them)");
}

int TestTray::addTask(const Connection::Record &columns)
{
    if (!connection->insertPlan(TC::saveRecord(columns, QString(), "-1")))
        return -1;
    return connection->selectPlanList().last().value("id").toInt();
}

void TestTray::switchOn(Tickvale &window, int id)
{
    ComputerManageWidget *tasks = window.computerManageWidget();
    TableCellView *view = tasks->rowView(tasks->scheduler()->indexOfPlan(id));
    QVERIFY(view);
    QTest::mouseClick(view->slider(), Qt::LeftButton);
    QVERIFY(tasks->scheduler()->isArmed(id));
}

QAction *TestTray::menuAction(TrayIcon *tray, const QString &text)
{
    for (QAction *action : tray->menu()->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void TestTray::toolTipSaysWhenTheNextTaskRuns_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("text");
    QTest::newRow("today") << QDateTime(QDate(2026, 12, 9), QTime(22, 30)) << 0 << "下一个任务: 今天 22:30:00 关机";
    QTest::newRow("tomorrow") << QDateTime(QDate(2026, 12, 10), QTime(0, 0, 5)) << 1
                              << "下一个任务: 明天 00:00:05 重启";
    QTest::newRow("later") << QDateTime(QDate(2026, 12, 11), QTime(7, 5)) << 11
                           << "下一个任务: 2026-12-11 07:05:00 断开网络";
}

void TestTray::toolTipSaysWhenTheNextTaskRuns()
{
    QFETCH(QDateTime, moment);
    QFETCH(int, orderId);
    QFETCH(QString, text);
    QCOMPARE(TrayTooltip::nextTask(moment, orderId, QDateTime(QDate(2026, 12, 9), QTime(10, 0))), text);
}

void TestTray::iconShowsAndNamesTheNextTask()
{
    needsDisplay();
    const QDateTime tomorrow(QDate::currentDate().addDays(1), QTime(22, 30));
    const QDateTime later(QDate::currentDate().addDays(3), QTime(8, 0));
    const int restart = addTask(onceAt(tomorrow, 1));
    const int shutdown = addTask(onceAt(later, 0));
    Tickvale window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TrayIcon *tray = window.trayIcon();
    QVERIFY(tray);
    QVERIFY(tray->icon()->isVisible());
    // The tray host took the icon in: it has a place on the screen.
    QTRY_VERIFY(tray->icon()->geometry().width() > 0);
    QCOMPARE(tray->toolTip(), QString("没有已开启的任务"));

    switchOn(window, shutdown);
    QCOMPARE(tray->toolTip(), "下一个任务: " + later.toString("yyyy-MM-dd") + " 08:00:00 关机");
    switchOn(window, restart);
    QCOMPARE(tray->toolTip(), QString("下一个任务: 明天 22:30:00 重启"));
    // Switched off by its switch: the next one is named again.
    QTest::mouseClick(window.computerManageWidget()->rowView(1)->slider(), Qt::LeftButton);
    QVERIFY(!window.computerManageWidget()->scheduler()->isArmed(restart));
    QCOMPARE(tray->toolTip(), "下一个任务: " + later.toString("yyyy-MM-dd") + " 08:00:00 关机");

    // A click on the icon brings a minimised window back.
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());
    emit tray->icon()->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(!window.isMinimized());
}

void TestTray::pauseAllTasksSwitchesEveryTaskOffAndExitAsks()
{
    needsDisplay();
    const int first = addTask(onceAt(QDateTime::currentDateTime().addDays(2), 0));
    const int second = addTask(TC::conditionColumns(TC::FromNowCommission, 1, {"2", "0", QString(), false}));
    Tickvale window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TrayIcon *tray = window.trayIcon();
    QVERIFY(tray);
    const QStringList statesBefore = enableStates();
    for (int id : {0, first, second})
        switchOn(window, id);
    QVERIFY(tray->toolTip().startsWith("下一个任务: "));
    QStringList texts;
    for (QAction *action : tray->menu()->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    QCOMPARE(texts, QStringList({"显示主窗口", "暂停所有任务", "退出"}));

    menuAction(tray, "暂停所有任务")->trigger();
    ComputerManageWidget *tasks = window.computerManageWidget();
    for (int row = 0; row < tasks->taskTable()->rowCount(); ++row)
        QVERIFY(!tasks->rowView(row)->slider()->isChecked());
    for (int id : {0, first, second})
        QVERIFY(!tasks->scheduler()->isArmed(id));
    QCOMPARE(tray->toolTip(), QString("没有已开启的任务"));
    // Paused, not switched off for good: the stored states stay as they were.
    QCOMPARE(enableStates(), statesBefore);

    // Exit asks the same question as the title bar; cancelled, the window stays.
    menuAction(tray, "退出")->trigger();
    QPointer<VATCloseMessageBox> box;
    for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<VATCloseMessageBox *>(shown); candidate && candidate->isVisible())
            box = candidate;
    }
    QVERIFY(box);
    QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!box);
    QVERIFY(window.isVisible());
}

void TestTray::warningWindowShowsAndRunsNowOnTheSystemBus()
{
    needsDisplay();
    if (!busReady)
        QSKIP("dbus-daemon and python3-dbusmock are needed (scripts/setup.sh installs them)");
    bus.clearLog("logind");
    // A one-minute countdown warns for its last half minute.
    const int id = addTask(TC::conditionColumns(TC::FromNowCommission, 0, {"0", "1", QString(), false}));
    Tickvale window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    switchOn(window, id);
    QTest::qWait(25000);
    QVERIFY(!window.lastWarnings()->windowOf(id));
    QTRY_VERIFY_WITH_TIMEOUT(window.lastWarnings()->windowOf(id) && window.lastWarnings()->windowOf(id)->isVisible(),
                             10000);
    LastWarningWindow *warning = window.lastWarnings()->windowOf(id);
    QVERIFY(QTest::qWaitForWindowExposed(warning));
    QVERIFY(warning->countdownText().startsWith("将在 "));
    QVERIFY(warning->countdownText().endsWith(" 秒后关机"));
    QCOMPARE(warning->description(), QString("从现在开始0小时1分后关机"));
    QVERIFY(bus.calls("logind").filter("PowerOff").isEmpty());
    QTest::mouseClick(warning->runNowButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(bus.calls("logind").contains("PowerOff False"), 10000);
    QTRY_VERIFY(!window.lastWarnings()->windowOf(id));
    QVERIFY(!window.computerManageWidget()->rowView(1)->slider()->isChecked());
    QTest::qWait(6000);
    QCOMPARE(bus.calls("logind").filter("PowerOff").size(), 1);
}

int main(int argc, char **argv)
{
    VirtualDisplay display;
    QProcess trayHost;
    const bool ready = startDisplayWithTray(display, trayHost);
    if (ready) {
        qputenv("DISPLAY", display.displayName().toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        TestTray test;
        test.displayReady = ready;
        result = QTest::qExec(&test, argc, argv);
    }
    trayHost.terminate();
    trayHost.waitForFinished(3000);
    return result;
}

#include "tst_tray.moc"
