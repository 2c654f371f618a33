#include "FakeActionServices.h"
#include "MockSystemBus.h"
#include "ScratchDirectory.h"
#include "actions/ActionExecutor.h"
#include "platform/linux/LinuxCommandInterpreter.h"
#include "platform/linux/LogindPowerManager.h"
#include "platform/linux/LogindSleepWatcher.h"
#include "platform/linux/NetworkManagerConnections.h"

#include <QSignalSpy>
#include <QtTest>

// Every power, session and network action against the system's managers, as they would
// receive it, on a private mock bus.
class TestSystemBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutNetworkManagerNothingHappens();
    void actionsReachTheManagers_data();
    void actionsReachTheManagers();
    void sessionWithoutIdIsFoundByProcess();
    void wakingFromSleepIsHeard();

private:
    MockSystemBus bus;
    ActionLog desktop;
};

void TestSystemBus::initTestCase()
{
    if (!MockSystemBus::toolsPresent())
        QSKIP("dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
    QVERIFY(bus.start());
    // From here on the program's "system bus" is the private one; the real one is never used.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().toUtf8());
    qputenv("XDG_SESSION_ID", "c7");
    QVERIFY(bus.startMock("logind", "org.freedesktop.login1"));
}

void TestSystemBus::withoutNetworkManagerNothingHappens()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused \"Get\""));
    NetworkManagerConnections().disconnectAll();
    QTest::qWait(500);
    QVERIFY(bus.calls("logind").isEmpty());
}

void TestSystemBus::actionsReachTheManagers_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<bool>("operandRoute");
    QTest::addColumn<QString>("mock");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("shut down") << 0 << false << "logind" << QStringList{"PowerOff False"};
    QTest::newRow("restart") << 1 << false << "logind" << QStringList{"Reboot False"};
    QTest::newRow("log off") << 2 << false << "logind" << QStringList{"TerminateSession \"c7\""};
    QTest::newRow("lock") << 3 << false << "logind" << QStringList{"LockSessions"};
    QTest::newRow("sleep") << 4 << false << "logind" << QStringList{"Hibernate False"};
    QTest::newRow("stand-by") << 6 << false << "logind" << QStringList{"Suspend False"};
    const QStringList deactivated{"DeactivateConnection \"/org/freedesktop/NetworkManager/ActiveConnection/7\"",
                                  "DeactivateConnection \"/org/freedesktop/NetworkManager/ActiveConnection/9\""};
    QTest::newRow("disconnect") << 11 << false << "networkmanager" << deactivated;
    QTest::newRow("disconnect, operand route") << 11 << true << "networkmanager" << deactivated;
}

void TestSystemBus::actionsReachTheManagers()
{
    QFETCH(int, orderId);
    QFETCH(bool, operandRoute);
    QFETCH(QString, mock);
    QFETCH(QStringList, calls);
    if (mock == "networkmanager") {
        if (!QFile::exists(bus.logOf(mock)))
            QVERIFY(bus.startMock("networkmanager", "org.freedesktop.NetworkManager"));
        QVERIFY(bus.runPython(
            QStringLiteral(
                "import dbus; b=dbus.bus.BusConnection('%1'); "
                "o=b.get_object('org.freedesktop.NetworkManager','/org/freedesktop/NetworkManager'); "
                "o.SetProperty('/org/freedesktop/NetworkManager','org.freedesktop.NetworkManager','ActiveConnections',"
                "dbus.Array(['/org/freedesktop/NetworkManager/ActiveConnection/7',"
                "'/org/freedesktop/NetworkManager/ActiveConnection/9'], signature='o'), "
                "dbus_interface='org.freedesktop.DBus.Mock')")
                .arg(bus.address())));
    }
    bus.clearLog(mock);

    ScratchDirectory scratch;
    Connection connection(nullptr);
    QVERIFY(connection.createTables());
    // Only the bus is under test: the display and the desktop stay out of it.
    ActionServices services = ActionServices::system();
    const ActionServices fakes = fakeActionServices(&desktop);
    services.display = fakes.display;
    services.launcher = fakes.launcher;
    services.terminator = fakes.terminator;
    ActionExecutor executor(&connection, services);
    const Connection::Record task = {{"id", "1"}, {"order_t", QString::number(orderId)}, {"app_position_t", "-1"}};
    std::optional<ResolvedAction> action = executor.resolveAction(task);
    QVERIFY(action);
    if (operandRoute) {
        action->operandRoute = true;
        action->executionRecord = {{"orderId", QString::number(orderId)}, {"appPositionStr", "x"}, {"commandStr", ""}};
    }
    executor.run(*action);
    QTRY_COMPARE_WITH_TIMEOUT(
        bus.calls(mock).filter(QRegularExpression(
            "^(PowerOff|Reboot|Hibernate|Suspend|LockSessions|TerminateSession|DeactivateConnection)")),
        calls, 5000);
    QVERIFY(desktop.calls.isEmpty());
}

void TestSystemBus::sessionWithoutIdIsFoundByProcess()
{
    // Started outside a session manager that names the session: logind is asked which
    // session this process belongs to, and that session is ended.
    QVERIFY(bus.runPython(
        QStringLiteral("import dbus; b=dbus.bus.BusConnection('%1'); "
                       "o=b.get_object('org.freedesktop.login1','/org/freedesktop/login1'); "
                       "m='org.freedesktop.DBus.Mock'; "
                       "o.AddMethod('org.freedesktop.login1.Manager','GetSessionByPID','u','o',"
                       "'ret = dbus.ObjectPath(\\'/org/freedesktop/login1/session/c9\\')', dbus_interface=m); "
                       "o.AddObject('/org/freedesktop/login1/session/c9','org.freedesktop.login1.Session',{},"
                       "[('Terminate','','','')], dbus_interface=m)")
            .arg(bus.address())));
    const QByteArray saved = qgetenv("XDG_SESSION_ID");
    qunsetenv("XDG_SESSION_ID");
    bus.clearLog("logind");
    LogindPowerManager().terminateOwnSession();
    const QString pidCall = QStringLiteral("GetSessionByPID %1").arg(QCoreApplication::applicationPid());
    QTRY_COMPARE_WITH_TIMEOUT(bus.calls("logind").filter(QRegularExpression("^(GetSessionByPID|Terminate)")),
                              (QStringList{pidCall, "Terminate"}), 5000);
    qputenv("XDG_SESSION_ID", saved);
}

void TestSystemBus::wakingFromSleepIsHeard()
{
    LogindSleepWatcher watcher;
    QSignalSpy resumed(&watcher, &SleepWatcher::resumed);
    const QString sleepSignal = QStringLiteral(
                                    "import dbus; b=dbus.bus.BusConnection('%1'); "
                                    "o=b.get_object('org.freedesktop.login1','/org/freedesktop/login1'); "
                                    "o.EmitSignal('org.freedesktop.login1.Manager','PrepareForSleep','b',[%2], "
                                    "dbus_interface='org.freedesktop.DBus.Mock')")
                                    .arg(bus.address());
    QVERIFY(bus.runPython(sleepSignal.arg("True")));
    QTest::qWait(300);
    QCOMPARE(resumed.size(), 0);
    QVERIFY(bus.runPython(sleepSignal.arg("False")));
    QTRY_COMPARE_WITH_TIMEOUT(resumed.size(), 1, 5000);
}

QTEST_GUILESS_MAIN(TestSystemBus)
#include "tst_system_bus.moc"
