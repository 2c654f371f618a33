#include "FakeActionServices.h"
#include "ScratchDatabase.h"
#include "actions/ActionExecutor.h"
#include "platform/PlatformServices.h"
#include "platform/QtDesktopLauncher.h"
#include "schedule/TaskComposer.h"

#include <QDesktopServices>
#include <QProcess>
#include <QtTest>

#ifdef Q_OS_LINUX
#include "platform/linux/LinuxCommandInterpreter.h"
#include "platform/linux/ProcProcessTerminator.h"
#endif

using Record = Connection::Record;

// Takes the addresses handed to the desktop instead of opening them.
class OpenedUrls : public QObject
{
    Q_OBJECT
public slots:
    void open(const QUrl &) { }
};

class TestActions : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        store.emplace();
        QVERIFY(store->ready);
        log.calls.clear();
    }

    void resolveAction()
    {
        const Record columns = TaskComposer::conditionColumns(TaskComposer::FromNowCommission, 10,
                                                              {"0", "1", QString(), false});
        QVERIFY(store->connection.insertPlan(TaskComposer::saveRecord(columns, "/usr/bin/xterm", "-1")));
        ActionExecutor executor(&store->connection, fakeActionServices(&log));
        // The action, its operand's row, the command and the operand it resolves to.
        const QVector<std::tuple<int, int, const char *, const char *>> tasks = {
            {1, -1, "shutdown -r ", ""},
            {10, 1, "wmic process where name=\"%1\" delete", "/usr/bin/xterm"},
            {9, 42, "start ", ""}}; // the operand row is missing
        for (const auto &[catalogueId, operandId, command, operand] : tasks) {
            const QString orderId = QString::number(catalogueId);
            const std::optional<ResolvedAction> action = executor.resolveAction(
                {{"id", "5"}, {"order_t", orderId}, {"app_position_t", QString::number(operandId)}});
            QVERIFY(action);
            QCOMPARE((QStringList{action->commandText, action->actionId, action->operandText}),
                     (QStringList{command, orderId, operand}));
            QCOMPARE(action->operandRoute, *operand != 0);
            const Record expected = {{"commandStr", command}, {"appPositionStr", operand}, {"orderId", orderId}};
            QCOMPARE(action->executionRecord, *operand ? expected : Record());
        }
        QVERIFY(!executor.resolveAction({{"id", "5"}, {"order_t", "99"}, {"app_position_t", "-1"}}));
    }

    // Each action of the catalogue with its stored command: where it goes, and (on Linux) what the
    // command interpreter's stand-in makes of it; then each action with an operand.
    void eachActionTakesItsRoute()
    {
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
        const ActionServices fakes = fakeActionServices(&log);
#ifdef Q_OS_LINUX
        ActionServices onLinux = fakes;
        onLinux.interpreter = std::make_shared<LinuxCommandInterpreter>(fakes.power);
#endif
        for (int orderId = 0; orderId < calls.size(); ++orderId) {
            const QString command =
                store->connection.selectOrder({{"id", QString::number(orderId)}}).value(0).value("order_command");
            log.calls.clear();
            ActionExecutor(&store->connection, fakes).executeCommand(command, orderId);
            QCOMPARE(log.calls.join('|'), QString(calls[orderId].first));
#ifdef Q_OS_LINUX
            log.calls.clear();
            ActionExecutor(&store->connection, onLinux).executeCommand(command, orderId);
            QCOMPARE(log.calls.join('|'), QString(calls[orderId].second));
#endif
        }

        const QVector<std::tuple<int, const char *, const char *>> operands = {
            {10, "D:/tools/x.exe", "terminate: x.exe"},
            {10, "/opt/tools/", "terminate: "},
            {7, "/opt/my app/run me", "start: /opt/my app/run me"},
            {8, "www.example.org/a b", "open address: http://www.example.org/a b"},
            {8, "https://example.org/?q=1", "open address: https://example.org/?q=1"},
            {9, "/home/user/my notes.txt", "open file: /home/user/my notes.txt"},
            {11, "anything", "disconnect all"},
            {0, "/usr/bin/true", ""}}; // shutting down takes no operand
        ActionExecutor executor(&store->connection, fakes);
        for (const auto &[orderId, operand, call] : operands) {
            log.calls.clear();
            runOrder(executor, orderId, operand);
            QCOMPARE(log.calls.join('|'), QString(call));
        }
    }

    void otherCommandTextsGoToTheShellUnwaited()
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

    void operandsReachTheSystemButNeverAShell()
    {
        OpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "open");
        QDesktopServices::setUrlHandler("http", &opened, "open");
        auto services = fakeActionServices(&log);
        // The system's own facilities, except that the power manager only writes down.
        services.launcher = std::make_shared<QtDesktopLauncher>();
        services.terminator = PlatformServices::processTerminator();
        services.interpreter = PlatformServices::commandInterpreter(services.power);
        ActionExecutor executor(&store->connection, services);
        for (int orderId : {7, 8, 9, 10}) {
            for (const char *operand : {"x\"; touch CANARY1; \"", "$(touch CANARY2)", "`touch CANARY3`",
                                        "a & touch CANARY4", "/tmp/none; touch CANARY5"})
                runOrder(executor, orderId, operand);
        }
        QTest::qWait(1500);
        const QStringList created = QDir(store->directory.path()).entryList({"CANARY*"});
        QVERIFY2(created.isEmpty(), qPrintable(created.join(", ")));
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("http");
#ifdef Q_OS_LINUX
        // Closing a program ends every process of that name, and no other.
        const QString unique = QStringLiteral("tickvale-target-%1").arg(QCoreApplication::applicationPid());
        const QString copy = store->directory.filePath(unique);
        QVERIFY(QFile::copy("/bin/sleep", copy));
        QProcess target;
        QProcess bystander;
        target.start(copy, {"600"});
        bystander.start("/bin/sleep", {"600"});
        QVERIFY(target.waitForStarted() && bystander.waitForStarted());
        QTRY_COMPARE(ProcProcessTerminator::processesNamed(unique), QList<qint64>{target.processId()});
        runOrder(executor, 10, store->directory.path() + "/" + unique);
        QVERIFY(target.waitForFinished(5000));
        QCOMPARE(bystander.state(), QProcess::Running);
        bystander.kill();
        bystander.waitForFinished();
#endif
    }

private:
    // A task's action with its operand, as the scheduler hands it over.
    void runOrder(ActionExecutor &executor, int orderId, const QString &operand)
    {
        executor.executeOrder({{"orderId", QString::number(orderId)},
                               {"appPositionStr", operand},
                               {"commandStr", "wmic process where name=\"%1\" delete"}});
    }

    std::optional<ScratchDatabase> store;
    ActionLog log;
};

QTEST_GUILESS_MAIN(TestActions)
#include "tst_actions.moc"
