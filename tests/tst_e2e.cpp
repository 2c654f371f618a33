#include "e2e/ProgramSession.h"
#include "e2e/SessionDatabase.h"
#include "schedule/TaskComposer.h"

#include <QtTest>

#include <memory>

using TC = TaskComposer;

namespace {

// A task that runs once, about a quarter of a minute after it is switched on: "电脑开机后" with
// a delay a little longer than the machine has been on.
Connection::Record soonAfterPowerOn(int orderId)
{
    QFile uptime("/proc/uptime");
    uptime.open(QIODevice::ReadOnly);
    const qint64 seconds = qint64(QString::fromLatin1(uptime.readAll()).section(' ', 0, 0).toDouble());
    Connection::Record columns = TC::conditionColumns(TC::FromOnCommission, orderId, {"0", "1", "", true});
    columns["lease_second"] = QString::number(seconds + 15);
    return columns;
}

} // namespace

// The real program, driven as a person would, against a private system bus.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstStartLogTabAndExit();
    void countdownMadeInTheEditorShutsDownOnce();
    void idleTaskIsHeldOffByInputWhileOthersRun();

private:
    std::unique_ptr<ProgramSession> session();
    void addTasks(ProgramSession &program, const QList<Connection::Record> &tasks);
    void replaceJournal(ProgramSession &program);

    MockSystemBus bus;
};

void TestEndToEnd::initTestCase()
{
    if (!VirtualDisplay::toolsPresent() || !MockSystemBus::toolsPresent())
        QSKIP("Xvfb, xdotool, dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
    QVERIFY(bus.start());
    QVERIFY(bus.startMock("logind", "org.freedesktop.login1"));
    QVERIFY(bus.startMock("networkmanager", "org.freedesktop.NetworkManager"));
}

std::unique_ptr<ProgramSession> TestEndToEnd::session()
{
    auto program = std::make_unique<ProgramSession>();
    if (!program->startDisplay())
        return nullptr;
    return program;
}

void TestEndToEnd::addTasks(ProgramSession &program, const QList<Connection::Record> &tasks)
{
    SessionDatabase database(program.path("."));
    QVERIFY(database.db().createTables());
    for (const Connection::Record &task : tasks)
        QVERIFY(database.db().insertPlan(task));
}

// The system's journal is replaced by one made for the test: two boots, three and two days ago.
void TestEndToEnd::replaceJournal(ProgramSession &program)
{
    QVERIFY(QDir(program.path(".")).mkdir("journal"));
    QByteArray exportText;
    const qint64 base = (QDateTime::currentSecsSinceEpoch() - 3 * 86400) * 1000000;
    const QList<QPair<qint64, qint64>> boots = {{base, base + Q_INT64_C(8985) * 1000000},
                                                {base + Q_INT64_C(86400) * 1000000, base + Q_INT64_C(90000) * 1000000}};
    for (int i = 0; i < boots.size(); ++i) {
        for (qint64 moment : {boots.at(i).first, boots.at(i).second}) {
            exportText += QStringLiteral(
                              "__REALTIME_TIMESTAMP=%1\n__MONOTONIC_TIMESTAMP=%2\n_BOOT_ID=%3\nMESSAGE=m\n\n")
                              .arg(moment)
                              .arg(moment - boots.at(i).first + 1)
                              .arg(QString(32, QChar('a' + i)))
                              .toUtf8();
        }
    }
    QFile exportFile(program.path("journal.export"));
    QVERIFY(exportFile.open(QIODevice::WriteOnly));
    exportFile.write(exportText);
    exportFile.close();
    QCOMPARE(QProcess::execute("/lib/systemd/systemd-journal-remote",
                               {"-o", program.path("journal/system.journal"), program.path("journal.export")}),
             0);
    program.addTool("journalctl",
                    QStringLiteral("exec /usr/bin/journalctl --directory=\"%1\" \"$@\"").arg(program.path("journal")));
}

void TestEndToEnd::firstStartLogTabAndExit()
{
    auto program = session();
    QVERIFY(program);
    replaceJournal(*program);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(program->start(bus.address()));
    const QString window = program->waitForWindow();
    QVERIFY2(!window.isEmpty(), qPrintable(program->output()));
    // No frame: the window asks the window manager for no decorations.
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", program->display().displayName());
    xprop.setProcessEnvironment(environment);
    xprop.start("xprop", {"-id", window, "_MOTIF_WM_HINTS"});
    QVERIFY(xprop.waitForFinished(5000));
    const QStringList motif = QString::fromUtf8(xprop.readAllStandardOutput()).section('=', 1).split(',');
    QVERIFY2(motif.size() >= 3, qPrintable(motif.join(',')));
    QCOMPARE(motif.at(2).trimmed(), QString("0x0"));

    {
        SessionDatabase database(program->path("."));
        QCOMPARE(database.column("select count(*) from order_t"), QStringList{"12"});
        QCOMPARE(database.column("select name from plan_t"), QStringList{"电脑连续空闲10分钟后执行关闭显示器"});
    }
    // The first row shows the idle task's action icon.
    QTest::qWait(500);
    const QImage shot = program->screenshot(program->path("first-start.png"));
    const QImage icon(":/Tickvale/mission_5");
    QVERIFY(!shot.isNull());
    int best = 0;
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            int matching = 0;
            for (int y = 4; y < 28; ++y) {
                for (int x = 4; x < 28; ++x)
                    matching += shot.pixelColor(12 + dx + x, 199 + dy + y) == icon.pixelColor(x, y);
            }
            best = qMax(best, matching);
        }
    }
    QVERIFY2(best > 500, qPrintable(QString::number(best)));
    // The history is gathered while the window is up.
    {
        SessionDatabase database(program->path("."));
        QTRY_COMPARE_WITH_TIMEOUT(database.column("select name from system_log order by timestamp desc"),
                                  (QStringList{"关机", "开机", "关机", "开机"}), 20000);
    }
    program->click(ProgramSession::logTab());
    program->click(ProgramSession::allLogsButton(), 800);
    const QImage logShot = program->screenshot(program->path("log-tab.png"));
    // The duration column of the two power-off rows holds text; the power-on rows' does not.
    auto inkIn = [&logShot](int top) {
        int dark = 0;
        for (int y = top; y < top + 20; ++y) {
            for (int x = 600; x < 880; ++x)
                dark += logShot.pixelColor(x, y).lightness() < 128;
        }
        return dark;
    };
    QVERIFY(inkIn(218) > 20);
    QVERIFY(inkIn(248) == 0);
    QVERIFY(inkIn(278) > 20);
    QVERIFY(inkIn(308) == 0);

    // Leaving asks first: cancelled, the program goes on; confirmed, it ends cleanly.
    program->click(ProgramSession::closeButton(), 800);
    program->click(ProgramSession::exitCancel(), 800);
    QVERIFY(program->running());
    program->click(ProgramSession::closeButton(), 800);
    program->click(ProgramSession::exitConfirm(), 300);
    if (!program->waitForExit(10000))
        program->screenshot("/tmp/e2e-exit-failure.png");
    QVERIFY2(!program->running(), qPrintable(program->output()));
    QCOMPARE(program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(program->exitCode(), 0);
    QVERIFY2(!program->output().contains("QThread: Destroyed"), qPrintable(program->output()));
}

void TestEndToEnd::countdownMadeInTheEditorShutsDownOnce()
{
    auto program = session();
    QVERIFY(program);
    bus.clearLog("logind");
    QVERIFY(program->start(bus.address()));
    QVERIFY(!program->waitForWindow().isEmpty());
    program->click(ProgramSession::addTaskButton(), 800);
    QVERIFY(!program->waitForWindow("^任务描述$", 5000).isEmpty());
    program->fillCountdown("0", "1");
    program->click(program->inEditor(ProgramSession::editorConfirm()), 600);
    QVERIFY(program->answerStartQuestion(true));
    QElapsedTimer sinceStart;
    sinceStart.start();
    {
        SessionDatabase database(program->path("."));
        QCOMPARE(database.column("select name from plan_t where id=1"), QStringList{"从现在开始0小时1分后关机"});
    }
    QTRY_VERIFY_WITH_TIMEOUT(bus.calls("logind").contains("PowerOff False"), 80000);
    const qint64 firedAfter = sinceStart.elapsed();
    QVERIFY2(firedAfter > 55000 && firedAfter < 70000, qPrintable(QString::number(firedAfter)));
    QTest::qWait(3000);
    QCOMPARE(bus.calls("logind").filter("PowerOff").size(), 1);
}

void TestEndToEnd::idleTaskIsHeldOffByInputWhileOthersRun()
{
    auto program = session();
    QVERIFY(program);
    program->addTool("xdg-open",
                     "env > \"$(dirname \"$0\")/../opened-environment.txt\"; "
                     "printf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/../opened.txt\"");
    const QString address = "example.org/e2e?q=1&x='y';$(touch CANARY)";
    // Disconnecting and opening an address run once, some seconds after the switch (a period of
    // zero is never armed), while the idle task waits.
    addTasks(*program,
             {TC::saveRecord(TC::conditionColumns(TC::FreeCommission, 5, {"", "1", "", true}), "", "-1"),
              TC::saveRecord(soonAfterPowerOn(11), "", "-1"), TC::saveRecord(soonAfterPowerOn(8), address, "-1")});
    QVERIFY(bus.runPython(
        QStringLiteral(
            "import dbus; b=dbus.bus.BusConnection('%1'); "
            "o=b.get_object('org.freedesktop.NetworkManager','/org/freedesktop/NetworkManager'); "
            "o.SetProperty('/org/freedesktop/NetworkManager','org.freedesktop.NetworkManager','ActiveConnections',"
            "dbus.Array(['/org/freedesktop/NetworkManager/ActiveConnection/3'], signature='o'), "
            "dbus_interface='org.freedesktop.DBus.Mock')")
            .arg(bus.address())));
    bus.clearLog("networkmanager");
    QVERIFY(program->start(bus.address()));
    QVERIFY(!program->waitForWindow().isEmpty());
    for (int row : {1, 2, 3})
        QVERIFY(program->switchOn(row));
    const QString fired = QStringLiteral("The display has no power management");
    QElapsedTimer sinceInput;
    for (int i = 0; i < 4; ++i) {
        QTest::qWait(15000);
        if (i % 2 == 0)
            program->type("idle", 0);
        else
            program->display().xdotool({"mousemove_relative", "--", "20", "15"});
        sinceInput.start();
        QVERIFY2(!program->output().contains(fired), "fired while input kept coming");
    }
    QVERIFY2(program->waitForOutput(fired, 90000),
             qPrintable(QString("%1 ms after the last input:\n%2").arg(sinceInput.elapsed()).arg(program->output())));
    const qint64 after = sinceInput.elapsed();
    QVERIFY2(after > 57000 && after < 85000, qPrintable(QString::number(after)));
    QTRY_VERIFY_WITH_TIMEOUT(
        bus.calls("networkmanager")
            .contains("DeactivateConnection \"/org/freedesktop/NetworkManager/ActiveConnection/3\""),
        40000);
    QFile opened(program->path("opened.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(opened.exists(), 40000);
    QTest::qWait(300);
    QVERIFY(opened.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(opened.readAll()).trimmed(), QUrl::fromUserInput(address).toString(QUrl::FullyEncoded));
    QVERIFY(!QFile::exists(program->path("CANARY")));
    // The program's own graphics setting is not handed on to what it starts.
    QFile environment(program->path("opened-environment.txt"));
    QVERIFY(environment.open(QIODevice::ReadOnly));
    const QStringList inherited = QString::fromLocal8Bit(environment.readAll()).split('\n');
    QVERIFY(!inherited.filter("DISPLAY=").isEmpty());
    QCOMPARE(inherited.filter("QT_XCB_GL_INTEGRATION"), QStringList());
}
QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
