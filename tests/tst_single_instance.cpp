#include "MockSystemBus.h"
#include "VirtualDisplay.h"
#include "app/InstanceGuard.h"
#include "e2e/SessionDatabase.h"
#include "schedule/TaskComposer.h"
#include "storage/UserSettings.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using TC = TaskComposer;

namespace {

// A start of the built program in a working folder, with the suite's environment.
class Start
{
public:
    Start(const QString &folder, const QStringList &arguments = {})
    {
        process.setWorkingDirectory(folder);
        process.setProcessChannelMode(QProcess::MergedChannels);
        clock.start();
        process.start(QStringLiteral(TICKVALE_PROGRAM), arguments);
        process.waitForStarted(5000);
    }
    ~Start() { process.kill(), process.waitForFinished(5000); }
    QString output() { return log += QString::fromUtf8(process.readAll()); }

    QProcess process;
    QElapsedTimer clock;
    QString log;
};

// What an X tool prints on the virtual display (the suite's own DISPLAY).
QString tool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString programWindow(qint64 pid)
{
    QString id;
    for (int i = 0; i < 200 && id.isEmpty(); ++i, QTest::qWait(100))
        id = tool("xdotool",
                  {"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name", "^TickvalePro$"})
                 .section('\n', 0, 0);
    QTest::qWait(400);
    return id;
}

// The root's children, topmost first, as decimal window ids.
QStringList stacking()
{
    QStringList ids;
    for (const QString &line :
         tool("xwininfo", {"-root", "-children"}).split('\n').filter(QRegularExpression("^\\s+0x")))
        ids << QString::number(line.trimmed().section(' ', 0, 0).toULongLong(nullptr, 16));
    return ids;
}

} // namespace

// One program per working folder: a second start there brings the first one's window forward
// and leaves; starts elsewhere run on their own.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tickvale-test-bus"); }
    void oneGuardPerFolderAndUserTakesOverWhatACrashLeft()
    {
        // A local server's name must not hold the folder's own separators or spaces.
        QVERIFY(!InstanceGuard::serverNameFor("/a/my tasks/database.db", "a").contains(QRegularExpression("[/ ]")));
        const QString path = QDir::temp().filePath(QUuid::createUuid().toString() + "/database.db");
        const QString name = InstanceGuard::serverNameFor(path, "tester");
        // A program that was killed leaves its socket file and its lock file, naming a process
        // that is gone (no process id reaches 2^31 - 1).
        QVERIFY(QFile(QDir::temp().filePath(name)).open(QIODevice::WriteOnly));
        QFile lockFile(QDir::temp().filePath(name + ".lock"));
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        lockFile.write("2147483647\ntickvale\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lockFile.close();

        InstanceGuard first(path, "tester");
        QVERIFY(first.claim());
        QSignalSpy shown(&first, &InstanceGuard::showRequested);
        InstanceGuard second(path, "tester");
        QVERIFY(!second.claim());
        QVERIFY(second.handOver());
        QVERIFY(shown.wait(3000));
        // The word every version of the program sends.
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(2000));
        socket.write("show\n");
        QVERIFY(socket.waitForBytesWritten(2000));
        QTRY_COMPARE(shown.size(), 2);
        // Another folder, or another user, is not the same program.
        InstanceGuard elsewhere(path + ".other", "tester");
        QVERIFY(elsewhere.claim());
        InstanceGuard otherUser(path, "someone");
        QVERIFY(otherUser.claim());
        QCOMPARE(shown.size(), 2);
    }
    void secondStartInTheSameFolderRaisesTheFirstAndLeaves()
    {
        if (!VirtualDisplay::toolsPresent() || !MockSystemBus::toolsPresent()
            || QStandardPaths::findExecutable("xwininfo").isEmpty())
            QSKIP(
                "Xvfb, xdotool, xwininfo, dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
        VirtualDisplay screen;
        MockSystemBus bus;
        QVERIFY(screen.start(171));
        QVERIFY(bus.start());
        QVERIFY(bus.startMock("logind", "org.freedesktop.login1"));
        QTemporaryDir config;
        qputenv("DISPLAY", screen.displayName().toUtf8());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().toUtf8());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_SESSION_ID", "e2e");
        qputenv("XDG_SESSION_TYPE", "x11");
        qputenv("LC_ALL", "C.UTF-8");
        for (const char *unset : {"QT_QPA_PLATFORM", "QT_XCB_GL_INTEGRATION", "WAYLAND_DISPLAY"})
            qunsetenv(unset);
        QTemporaryDir folderA, folderB;
        // A task that shuts down once, some seconds after the start, was on when folder A's program
        // last ran: each program that arms it would shut down.
        int task = -1;
        {
            SessionDatabase database(folderA.path());
            Connection &connection = database.db();
            QVERIFY(connection.createTables());
            const qint64 seconds = qint64(tool("cat", {"/proc/uptime"}).section(' ', 0, 0).toDouble());
            Connection::Record columns = TC::conditionColumns(TC::FromOnCommission, 0, {"0", "1", "", true});
            columns["lease_second"] = QString::number(seconds + 14);
            QVERIFY(connection.insertPlan(TC::saveRecord(columns, "", "-1")));
            task = connection.selectPlanList().last().value("id").toInt();
        }
        {
            UserSettings settings(config.filePath("Tickvale/TickvalePro.ini"), nullptr);
            settings.setOn(UserSettings::RestoreArmedTasks, true);
            settings.setOn(UserSettings::WarnBeforeActions, false);
            settings.setArmedTaskIds(QFileInfo(folderA.path()).canonicalFilePath() + "/database.db", {task});
        }
        bus.clearLog("logind");

        Start first(folderA.path(), {"--minimized"});
        const QString windowA = programWindow(first.process.processId());
        QVERIFY2(!windowA.isEmpty(), qPrintable(first.output()));
        QVERIFY2(first.output().contains("Switched on again the tasks that were on: (" + QString::number(task) + ")"),
                 qPrintable(first.output()));
        // Started minimised: the window asks to be shown as an icon.
        QVERIFY(tool("xprop", {"-id", windowA, "WM_HINTS"}).contains("Initial state is Iconic"));

        Start other(folderB.path());
        const QString windowB = programWindow(other.process.processId());
        QVERIFY2(!windowB.isEmpty(), qPrintable(other.output()));
        tool("xdotool", {"windowfocus", windowB});
        QTest::qWait(300);
        const QStringList before = stacking();
        QVERIFY2(before.indexOf(windowB) < before.indexOf(windowA), qPrintable(before.join(' ')));

        Start second(folderA.path());
        QVERIFY(second.process.waitForFinished(5000));
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY2(second.clock.elapsed() < 2000, qPrintable(QString::number(second.clock.elapsed())));
        QTRY_VERIFY2(first.output().contains("brought to the front"), qPrintable(first.output()));
        QTRY_COMPARE(tool("xdotool", {"getwindowfocus"}), windowA);
        const QStringList after = stacking();
        QVERIFY2(after.indexOf(windowA) < after.indexOf(windowB), qPrintable(after.join(' ')));
        QVERIFY(first.process.state() == QProcess::Running);
        // Only the first program armed the task: it shuts down once.
        QTRY_VERIFY_WITH_TIMEOUT(bus.calls("logind").filter("PowerOff").size() >= 1, 40000);
        QTest::qWait(3000);
        QCOMPARE(bus.calls("logind").filter("PowerOff").size(), 1);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
