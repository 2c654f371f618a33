#include "FakeActionServices.h"
#include "ScratchDirectory.h"
#include "actions/ActionExecutor.h"
#include "platform/PlatformServices.h"
#include "platform/QtDesktopLauncher.h"
#include "schedule/TaskComposer.h"

#include <QDesktopServices>
#include <QProcess>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include "platform/linux/LinuxCommandInterpreter.h"
#include "platform/linux/ProcProcessTerminator.h"
#endif

using Record = Connection::Record;

namespace {

// A task's action with its operand, as the scheduler hands it over.
void runOrder(ActionExecutor &executor, int orderId, const QString &operand)
{
    executor.executeOrder({{"orderId", QString::number(orderId)},
                           {"appPositionStr", operand},
                           {"commandStr", "wmic process where name=\"%1\" delete"}});
}

} // namespace

// Records the addresses handed to the desktop instead of opening them.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestActions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void resolveAction_data();
    void resolveAction();
    void commandRoute_data();
    void commandRoute();
    void operandRoute_data();
    void operandRoute();
    void interpreterStandIn_data();
    void interpreterStandIn();
    void closeProgramEndsOnlyThatProgram();
    void operandsNeverReachAShell_data();
    void operandsNeverReachAShell();

private:
    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
    ActionLog log;
};

void TestActions::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    connection = std::make_unique<Connection>(nullptr);
    QVERIFY(connection->createTables());
    log.calls.clear();
}

void TestActions::cleanup()
{
    connection.reset();
    scratch.reset();
}

void TestActions::resolveAction_data()
{
    QTest::addColumn<int>("catalogueId");
    QTest::addColumn<QString>("operand"); // inserted as operand row 1 when not empty
    QTest::addColumn<int>("operandId");
    QTest::addColumn<bool>("resolves");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("operandRoute");
    const QString close = "wmic process where name=\"%1\" delete";
    QTest::newRow("restart, no operand") << 1 << QString() << -1 << true << "shutdown -r " << false;
    QTest::newRow("close a program") << 10 << "/usr/bin/xterm" << 1 << true << close << true;
    QTest::newRow("operand row missing") << 9 << QString() << 42 << true << "start " << false;
    QTest::newRow("unknown action") << 99 << QString() << -1 << false << QString() << false;
}

void TestActions::resolveAction()
{
    QFETCH(int, catalogueId);
    QFETCH(QString, operand);
    QFETCH(int, operandId);
    QFETCH(bool, resolves);
    QFETCH(QString, command);
    QFETCH(bool, operandRoute);
    const QString orderId = QString::number(catalogueId);
    if (!operand.isEmpty()) {
        const Record columns = TaskComposer::conditionColumns(TaskComposer::FromNowCommission, catalogueId,
                                                              {"0", "1", QString(), false});
        QVERIFY(connection->insertPlan(TaskComposer::saveRecord(columns, operand, "-1")));
    }
    ActionExecutor executor(connection.get(), fakeActionServices(&log));
    const std::optional<ResolvedAction> action = executor.resolveAction(
        {{"id", "5"}, {"order_t", orderId}, {"app_position_t", QString::number(operandId)}});
    QCOMPARE(action.has_value(), resolves);
    if (!resolves)
        return;
    QCOMPARE(action->commandText, command);
    QCOMPARE(action->actionId, orderId);
    QCOMPARE(action->operandRoute, operandRoute);
    QCOMPARE(action->operandText, operand);
    if (operandRoute) {
        const Record expected = {{"commandStr", command}, {"appPositionStr", operand}, {"orderId", orderId}};
        QCOMPARE(action->executionRecord, expected);
    } else {
        QVERIFY(action->executionRecord.isEmpty());
    }
}

void TestActions::commandRoute_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("call");
    const Connection::RecordList catalogue = [] {
        ScratchDirectory directory;
        Connection database(nullptr);
        database.createTables();
        return database.selectOrder({});
    }();
    const QStringList calls = {"interpreter: shutdown -s -f",
                               "interpreter: shutdown -r ",
                               "log off",
                               "interpreter: rundll32.exe user32.dll LockWorkStation",
                               "interpreter: shutdown -h",
                               "display off",
                               "interpreter: rundll32 powrprof.dll,SetSuspendState",
                               "interpreter: ",
                               "interpreter: ",
                               "interpreter: start ",
                               "interpreter: wmic process where name=\"%1\" delete",
                               "disconnect all"};
    for (int id = 0; id < 12; ++id) {
        QTest::addRow("action %d", id) << id << catalogue.value(id).value("order_command") << calls.at(id);
    }
}

void TestActions::commandRoute()
{
    QFETCH(int, orderId);
    QFETCH(QString, command);
    QFETCH(QString, call);
    ActionExecutor executor(connection.get(), fakeActionServices(&log));
    executor.executeCommand(command, orderId);
    QCOMPARE(log.calls, QStringList{call});
}

void TestActions::operandRoute_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("operand");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("close, a path") << 10 << "D:/tools/x.exe" << QStringList{"terminate: x.exe"};
    QTest::newRow("close, ends in a slash") << 10 << "/opt/tools/" << QStringList{"terminate: "};
    QTest::newRow("run a program") << 7 << "/opt/my app/run me" << QStringList{"start: /opt/my app/run me"};
    QTest::newRow("address without scheme")
        << 8 << "www.example.org/a b" << QStringList{"open address: http://www.example.org/a b"};
    QTest::newRow("address with scheme") << 8 << "https://example.org/?q=1"
                                         << QStringList{"open address: https://example.org/?q=1"};
    QTest::newRow("file with blanks") << 9 << "/home/user/my notes.txt"
                                      << QStringList{"open file: /home/user/my notes.txt"};
    QTest::newRow("disconnect") << 11 << "anything" << QStringList{"disconnect all"};
    for (int id = 0; id <= 6; ++id)
        QTest::addRow("action %d takes no operand", id) << id << "/usr/bin/true" << QStringList{};
}

void TestActions::operandRoute()
{
    QFETCH(int, orderId);
    QFETCH(QString, operand);
    QFETCH(QStringList, calls);
    ActionExecutor executor(connection.get(), fakeActionServices(&log));
    runOrder(executor, orderId, operand);
    QCOMPARE(log.calls, calls);
}

void TestActions::interpreterStandIn_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("shut down") << "shutdown -s -f" << QStringList{"power off"};
    QTest::newRow("restart, trailing blank") << "shutdown -r " << QStringList{"reboot"};
    QTest::newRow("another text goes to the shell") << "sleep 1; echo done > shell-ran" << QStringList{"shell"};
    QTest::newRow("sleep") << "shutdown -h" << QStringList{"hibernate"};
    QTest::newRow("stand-by") << "rundll32 powrprof.dll,SetSuspendState" << QStringList{"suspend"};
    QTest::newRow("lock") << "rundll32.exe user32.dll LockWorkStation" << QStringList{"lock"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("start without a file") << "start " << QStringList{};
    QTest::newRow("close text never filled in") << "wmic process where name=\"%1\" delete" << QStringList{};
}

void TestActions::interpreterStandIn()
{
#ifndef Q_OS_LINUX
    QSKIP("The Linux stand-in for the command interpreter");
#else
    QFETCH(QString, command);
    QFETCH(QStringList, calls);
    LinuxCommandInterpreter interpreter(std::make_shared<FakePowerManager>(&log));
    QElapsedTimer clock;
    clock.start();
    interpreter.run(command);
    if (calls == QStringList{"shell"}) {
        // Handed to the shell, not to the power manager, and not waited for.
        QVERIFY(clock.elapsed() < 500);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("shell-ran"), 5000);
        QVERIFY(log.calls.isEmpty());
    } else {
        QCOMPARE(log.calls, calls);
    }
#endif
}

void TestActions::closeProgramEndsOnlyThatProgram()
{
#ifndef Q_OS_LINUX
    QSKIP("Closing a program by name through /proc is the Linux route");
#else
    const QString unique = QStringLiteral("tickvale-target-%1").arg(QCoreApplication::applicationPid());
    const QString copy = scratch->filePath(unique);
    QVERIFY(QFile::copy("/bin/sleep", copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess target;
    QProcess bystander;
    target.start(copy, {"600"});
    bystander.start("/bin/sleep", {"600"});
    QVERIFY(target.waitForStarted());
    QVERIFY(bystander.waitForStarted());
    QTRY_COMPARE(ProcProcessTerminator::processesNamed(unique), QList<qint64>{target.processId()});

    auto services = fakeActionServices(&log);
    services.terminator = std::make_shared<ProcProcessTerminator>();
    ActionExecutor executor(connection.get(), services);
    runOrder(executor, 10, scratch->path() + "/" + unique);
    QVERIFY(target.waitForFinished(5000));
    QCOMPARE(bystander.state(), QProcess::Running);
    bystander.kill();
    bystander.waitForFinished();
#endif
}

void TestActions::operandsNeverReachAShell_data()
{
    QTest::addColumn<int>("orderId");
    for (int id : {7, 8, 9, 10})
        QTest::addRow("action %d", id) << id;
}

void TestActions::operandsNeverReachAShell()
{
    QFETCH(int, orderId);
    OpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    QDesktopServices::setUrlHandler("http", &opened, "open");
    auto services = fakeActionServices(&log);
    // The system's own facilities, except that the power manager only writes down.
    services.launcher = std::make_shared<QtDesktopLauncher>();
    services.terminator = PlatformServices::processTerminator();
    services.interpreter = PlatformServices::commandInterpreter(services.power);
    ActionExecutor executor(connection.get(), services);
    const QStringList canaries = {"x\"; touch CANARY1; \"", "$(touch CANARY2)", "`touch CANARY3`", "a & touch CANARY4",
                                  "/tmp/none; touch CANARY5"};
    for (const QString &operand : canaries) {
        runOrder(executor, orderId, operand);
    }
    QTest::qWait(1500);
    const QStringList created = QDir(scratch->path()).entryList({"CANARY*"});
    QVERIFY2(created.isEmpty(), qPrintable(created.join(", ")));
    QDesktopServices::unsetUrlHandler("file");
    QDesktopServices::unsetUrlHandler("http");
}

QTEST_GUILESS_MAIN(TestActions)
#include "tst_actions.moc"
