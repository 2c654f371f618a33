#include "ScratchDirectory.h"
#include "VirtualDisplay.h"
#include "app/AutostartEntry.h"
#include "app/MenuBar.h"
#include "app/Tickvale.h"
#include "app/TrayIcon.h"
#include "app/TrayTooltip.h"
#include "app/VATCloseMessageBox.h"
#include "schedule/TaskComposer.h"
#include "schedule/TaskScheduler.h"
#include "storage/UserSettings.h"
#include "tasks_ui/ComputerManageWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "tasks_ui/TableCellView.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using TC = TaskComposer;

namespace {

// The display and its tray host come up before the application connects to a display, which
// is then this one.
bool startDisplayWithTray(VirtualDisplay &display, QProcess &trayHost)
{
    if (!VirtualDisplay::toolsPresent() || QStandardPaths::findExecutable("trayer").isEmpty() || !display.start(171))
        return false;
    qputenv("DISPLAY", display.displayName().toUtf8());
    qputenv("QT_QPA_PLATFORM", "xcb");
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

// A task that runs once at the moment, added to the database; its id.
int onceAt(Connection &connection, const QDateTime &moment, int orderId)
{
    TC::CalendarChoice choice;
    choice.firstRun = moment.date();
    choice.timeOfDay = moment.time().msecsSinceStartOfDay() / 1000;
    if (!connection.insertPlan(TC::saveRecord(TC::calendarColumns(TC::OnceCommission, orderId, choice), "", "-1")))
        return -1;
    return connection.selectPlanList().last().value("id").toInt();
}

// The enable_state column of every task.
QStringList enableStates(Connection &connection)
{
    QStringList states;
    for (const Connection::Record &task : connection.selectPlanList())
        states << task.value("enable_state");
    return states;
}

// A click on the switch of the task's row.
void toggle(ComputerManageWidget *tasks, int id)
{
    TableCellView *view = tasks->rowView(tasks->scheduler()->indexOfPlan(id));
    QVERIFY(view);
    QTest::mouseClick(view->slider(), Qt::LeftButton);
}

} // namespace

// The tray icon and the log-in start entry, on a virtual display with a tray host, as a user
// meets them.
class TestTray : public QObject
{
    Q_OBJECT
public:
    bool displayReady = false;

private slots:
    void cleanup() { TAVMouseNKeyboardHook::uninstallHook(); }
    void textsTheUserAndTheDesktopRead()
    {
        // The tool tip, on 2026-12-09 at 10:00: today, tomorrow (even five seconds after midnight)
        // or the date.
        const QDateTime now(QDate(2026, 12, 9), QTime(10, 0));
        QCOMPARE((QStringList{TrayTooltip::nextTask(QDateTime(now.date(), QTime(22, 30)), 0, now),
                              TrayTooltip::nextTask(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 5)), 1, now),
                              TrayTooltip::nextTask(QDateTime(QDate(2026, 12, 11), QTime(7, 5)), 11, now)}),
                 (QStringList{"下一个任务: 今天 22:30:00 关机", "下一个任务: 明天 00:00:05 重启",
                              "下一个任务: 2026-12-11 07:05:00 断开网络"}));

        // An argument, then the word the Exec line of the log-in entry holds for it.
        const QList<QPair<QString, QString>> words = {
            {"--minimized", "--minimized"},
            {"/opt/Tickvale Pro/tickvale", "\"/opt/Tickvale Pro/tickvale\""},
            {"/home/a$b/tickvale", "\"/home/a\\$b/tickvale\""},
            {"/home/say \"hi\"/t", "\"/home/say \\\"hi\\\"/t\""},
            {"/home/a\\b/t", "\"/home/a\\\\b/t\""},
            {"/home/`x`/t", "\"/home/\\`x\\`/t\""},
            {"/home/it's/t", "\"/home/it's/t\""},
            // A lone percent sign would be read as a field code.
            {"/home/100%/t", "/home/100%%/t"},
            {"", "\"\""},
        };
        for (const auto &[argument, word] : words)
            QCOMPARE(AutostartEntry::execArgument(argument), word);

        // The entry starts the program minimised in its folder. A backslash inside quotes is
        // escaped for the Exec rule, then again for the string rule.
        const QVector<std::array<const char *, 4>> entries = {
            {"/opt/Tick vale/tickvale", "/home/u/my tasks", "Exec=\"/opt/Tick vale/tickvale\" --minimized",
             "Path=/home/u/my tasks"},
            {"/a\\b c/t", "/w\\x", "Exec=\"/a\\\\\\\\b c/t\" --minimized", "Path=/w\\\\x"},
            {"/t", " /odd", "Exec=/t --minimized", "Path=\\s/odd"}};
        for (const auto &[program, folder, execLine, pathLine] : entries) {
            QCOMPARE(AutostartEntry::entryText(program, {AutostartEntry::MinimizedFlag}, folder).split('\n'),
                     (QStringList{"[Desktop Entry]", "Type=Application", "Name=Tickvale Pro", "GenericName=定时任务",
                                  "Comment=到点关机、重启、锁屏,或运行程序", "Icon=tickvale-pro", execLine, pathLine,
                                  "Terminal=false", "X-GNOME-Autostart-enabled=true", ""}));
        }
        // Only an absolute configuration folder counts.
        for (const char *ignored : {"relative/ignored", ""}) {
            qputenv("XDG_CONFIG_HOME", ignored);
            QCOMPARE(AutostartEntry::entryPath(), QDir::homePath() + "/.config/autostart/tickvale.desktop");
        }
    }

    void trayNamesPausesAndExitsAndTheMenuWritesTheLogInEntry()
    {
        if (!displayReady)
            QSKIP("Xvfb, xdotool and trayer are needed (scripts/setup.sh installs them)");
        // Nothing a task here asks for reaches a manager.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus");
        // The settings and the log-in entry go to a folder of this run's own.
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QFile entry(config.filePath("autostart/tickvale.desktop"));
        QCOMPARE(AutostartEntry::entryPath(), entry.fileName());
        ScratchDirectory scratch;
        Connection connection(nullptr);
        QVERIFY(connection.createTables());
        const QDateTime tomorrow(QDate::currentDate().addDays(1), QTime(22, 30));
        const QDateTime later(QDate::currentDate().addDays(3), QTime(8, 0));
        const int restart = onceAt(connection, tomorrow, 1);
        const int shutdown = onceAt(connection, later, 0);
        Tickvale window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ComputerManageWidget *tasks = window.computerManageWidget();
        TrayIcon *tray = window.trayIcon();
        QVERIFY(tray && tray->icon()->isVisible());
        // The tray host took the icon in: it has a place on the screen.
        QTRY_VERIFY(tray->icon()->geometry().width() > 0);
        QCOMPARE(tray->toolTip(), QString("没有已开启的任务"));
        const QString laterText = "下一个任务: " + later.toString("yyyy-MM-dd") + " 08:00:00 关机";
        const QStringList statesBefore = enableStates(connection);
        toggle(tasks, shutdown);
        QCOMPARE(tray->toolTip(), laterText);
        toggle(tasks, restart);
        QCOMPARE(tray->toolTip(), QString("下一个任务: 明天 22:30:00 重启"));
        // Switched off by its switch: the next one is named again.
        toggle(tasks, restart);
        QVERIFY(!tasks->scheduler()->isArmed(restart));
        QCOMPARE(tray->toolTip(), laterText);

        // A click on the icon brings a minimised window back.
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        emit tray->icon()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(!window.isMinimized());

        // Pausing switches every task off, the idle one too, but not for good: the stored states
        // stay as they were.
        toggle(tasks, 0);
        toggle(tasks, restart);
        for (int id : {0, restart, shutdown})
            QVERIFY(tasks->scheduler()->isArmed(id));
        const QList<QAction *> entries = tray->menu()->actions();
        QStringList texts;
        for (QAction *action : entries)
            texts << action->text();
        QCOMPARE(texts, QStringList({"显示主窗口", "暂停所有任务", "", "退出"}));
        entries[1]->trigger();
        for (int id : {0, restart, shutdown}) {
            QVERIFY(!tasks->rowView(tasks->scheduler()->indexOfPlan(id))->slider()->isChecked());
            QVERIFY(!tasks->scheduler()->isArmed(id));
        }
        QCOMPARE(tray->toolTip(), QString("没有已开启的任务"));
        QCOMPARE(enableStates(connection), statesBefore);

        // Exit asks the same question as the title bar; cancelled, the window stays.
        entries[3]->trigger();
        QPointer<VATCloseMessageBox> box = qobject_cast<VATCloseMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!box);
        QVERIFY(window.isVisible());

        // The "more" menu's log-in choice writes the entry, and removes it.
        QCheckBox *choice = nullptr;
        for (QCheckBox *check : window.menuBar()->findChildren<QCheckBox *>())
            choice = check->text() == QStringLiteral("开机自动启动") ? check : choice;
        QVERIFY(choice && !choice->isChecked());
        choice->click();
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(
            QString::fromUtf8(entry.readAll()),
            AutostartEntry::entryText(QCoreApplication::applicationFilePath(), {"--minimized"}, QDir::currentPath()));
        choice->click();
        QVERIFY(!entry.exists());
    }
};

int main(int argc, char **argv)
{
    VirtualDisplay display;
    QProcess trayHost;
    const bool ready = startDisplayWithTray(display, trayHost);
    QApplication application(argc, argv);
    TestTray test;
    test.displayReady = ready;
    const int result = QTest::qExec(&test, argc, argv);
    trayHost.terminate();
    trayHost.waitForFinished(3000);
    return result;
}

#include "tst_tray.moc"
