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
    void otherCommandTextsGoToTheShellUnwaited();
    void operandRoute_data();
    void operandRoute();
    void operandsReachTheSystemButNeverAShell();

private:
    // A task's action with its operand, as the scheduler hands it over.
    void runOrder(ActionExecutor &executor, int orderId, const QString &operand)
    {
        executor.executeOrder({{"orderId", QString::number(orderId)},
                               {"appPositionStr", operand},
                               {"commandStr", "wmic process where name=\"%1\" delete"}});
    }

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
    QTest::newRow("restart, no operand") << 1 << QString() << -1 << true << "shutdown -r ";
    QTest::newRow("close a program") << 10 << "/usr/bin/xterm" << 1 << true << "wmic process where name=\"%1\" delete";
    QTest::newRow("operand row missing") << 9 << QString() << 42 << true << "start ";
    QTest::newRow("unknown action") << 99 << QString() << -1 << false << QString();
}

void TestActions::resolveAction()
{
    QFETCH(int, catalogueId);
    QFETCH(QString, operand);
    QFETCH(int, operandId);
    QFETCH(bool, resolves);
    QFETCH(QString, command);
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
    QCOMPARE(action->operandText, operand);
    QCOMPARE(action->operandRoute, !operand.isEmpty());
    const Record expected = {{"commandStr", command}, {"appPositionStr", operand}, {"orderId", orderId}};
    QCOMPARE(action->executionRecord, operand.isEmpty() ? Record() : expected);
}

// Each action of the catalogue with its stored command: where it goes, and (on
// Linux) what the command interpreter's stand-in makes of it.
void TestActions::commandRoute_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("linuxCall");
    const QVector<QPair<const char *, const char *>> calls = {
        {"interpreter: shutdown -s -f", "power off"},
        {"interpreter: shutdown -r ", "reboot"},
        {"log off", "log off"},
        {"interpreter: rundll32.exe user32.dll LockWorkStation", "lock"},
        {"interpreter: shutdown -h", "hibernate"},
        {"display off", "display off"},
        {"interpreter: rundll32 powrprof.dll,SetSuspendState", "suspend"},
        {"interpreter: ", ""},
        {"interpreter: ", ""},
        {"interpreter: start ", ""},                                // no file: nothing to start
        {"interpreter: wmic process where name=\"%1\" delete", ""}, // the name never filled in
        {"disconnect all", "disconnect all"}};
    for (int id = 0; id < calls.size(); ++id)
        QTest::addRow("action %d", id) << id << QString(calls[id].first) << QString(calls[id].second);
}

void TestActions::commandRoute()
{
    QFETCH(int, orderId);
    QFETCH(QString, call);
    QFETCH(QString, linuxCall);
    const QString command = connection->selectOrder({{"id", QString::number(orderId)}}).value(0).value("order_command");
    ActionServices services = fakeActionServices(&log);
    ActionExecutor(connection.get(), services).executeCommand(command, orderId);
    QCOMPARE(log.calls.join('|'), call);
#ifdef Q_OS_LINUX
    log.calls.clear();
    services.interpreter = std::make_shared<LinuxCommandInterpreter>(services.power);
    ActionExecutor(connection.get(), services).executeCommand(command, orderId);
    QCOMPARE(log.calls.join('|'), linuxCall);
#endif
}

void TestActions::otherCommandTextsGoToTheShellUnwaited()
{
#ifndef Q_OS_LINUX
    QSKIP("The Linux stand-in for the command interpreter");
#else
    LinuxCommandInterpreter interpreter(std::make_shared<FakeFacilities>(&log));
    QElapsedTimer clock;
    clock.start();
    interpreter.run("sleep 1; echo done > shell-ran");
    QVERIFY(clock.elapsed() < 500);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("shell-ran"), 5000);
    QVERIFY(log.calls.isEmpty());
#endif
}

void TestActions::operandRoute_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("operand");
    QTest::addColumn<QString>("call");
    const QVector<std::tuple<int, const char *, const char *>> rows = {
        {10, "D:/tools/x.exe", "terminate: x.exe"},
        {10, "/opt/tools/", "terminate: "},
        {7, "/opt/my app/run me", "start: /opt/my app/run me"},
        {8, "www.example.org/a b", "open address: http://www.example.org/a b"},
        {8, "https://example.org/?q=1", "open address: https://example.org/?q=1"},
        {9, "/home/user/my notes.txt", "open file: /home/user/my notes.txt"},
        {11, "anything", "disconnect all"},
        {0, "/usr/bin/true", ""}}; // shutting down takes no operand
    for (const auto &[orderId, operand, call] : rows)
        QTest::addRow("%d %s", orderId, operand) << orderId << QString(operand) << QString(call);
}

void TestActions::operandRoute()
{
    QFETCH(int, orderId);
    QFETCH(QString, operand);
    QFETCH(QString, call);
    ActionExecutor executor(connection.get(), fakeActionServices(&log));
    runOrder(executor, orderId, operand);
    QCOMPARE(log.calls.join('|'), call);
}

void TestActions::operandsReachTheSystemButNeverAShell()
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    QDesktopServices::setUrlHandler("http", &opened, "open");
    auto services = fakeActionServices(&log);
    // The system's own facilities, except that the power manager only writes
    // down.
    services.launcher = std::make_shared<QtDesktopLauncher>();
    services.terminator = PlatformServices::processTerminator();
    services.interpreter = PlatformServices::commandInterpreter(services.power);
    ActionExecutor executor(connection.get(), services);
    for (int orderId : {7, 8, 9, 10}) {
        for (const char *operand : {"x\"; touch CANARY1; \"", "$(touch CANARY2)", "`touch CANARY3`",
                                    "a & touch CANARY4", "/tmp/none; touch CANARY5"})
            runOrder(executor, orderId, operand);
    }
    QTest::qWait(1500);
    const QStringList created = QDir(scratch->path()).entryList({"CANARY*"});
    QVERIFY2(created.isEmpty(), qPrintable(created.join(", ")));
    QDesktopServices::unsetUrlHandler("file");
    QDesktopServices::unsetUrlHandler("http");
#ifdef Q_OS_LINUX
    // Closing a program ends every process of that name, and no other.
    const QString unique = QStringLiteral("tickvale-target-%1").arg(QCoreApplication::applicationPid());
    const QString copy = scratch->filePath(unique);
    QVERIFY(QFile::copy("/bin/sleep", copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess target;
    QProcess bystander;
    target.start(copy, {"600"});
    bystander.start("/bin/sleep", {"600"});
    QVERIFY(target.waitForStarted() && bystander.waitForStarted());
    QTRY_COMPARE(ProcProcessTerminator::processesNamed(unique), QList<qint64>{target.processId()});
    runOrder(executor, 10, scratch->path() + "/" + unique);
    QVERIFY(target.waitForFinished(5000));
    QCOMPARE(bystander.state(), QProcess::Running);
    bystander.kill();
    bystander.waitForFinished();
#endif
}

QTEST_GUILESS_MAIN(TestActions)
#include "tst_actions.moc"
