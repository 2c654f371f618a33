#include "FakeActionServices.h"
#include "MockSystemBus.h"
#include "ScratchDirectory.h"
#include "actions/ActionExecutor.h"
#include "platform/PlatformServices.h"
#include "platform/linux/LogindPowerManager.h"
#include "platform/linux/LogindSleepWatcher.h"
#include "platform/linux/NetworkManagerConnections.h"
#include "platform/linux/SessionIdleTimeSource.h"
#include "platform/linux/XInputActivitySource.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// A desktop's idle-time service: this suite's template of it, its bus name and its object.
struct Service
{
    QString file, name, path;
};
const Service Gnome{"mutter_idle_monitor", "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core"};
const Service Kde{"kde_screensaver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"};

} // namespace

// Every power, session and network action against the system's managers, as they would
// receive it, on a private mock bus; and the idle time of a Wayland desktop, read from its
// session bus, where GNOME's and KDE's services stand as templates of this suite's own.
class TestSystemBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!MockSystemBus::toolsPresent())
            QSKIP("dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
        QVERIFY(bus.start());
        // From here on the program's "system bus" is the private one; the real one is never used.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().toUtf8());
        qputenv("XDG_SESSION_ID", "c7");
        QVERIFY(bus.startMock("logind", "org.freedesktop.login1"));
    }

    void withoutNetworkManagerNothingHappens()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused \"Get\""));
        NetworkManagerConnections().disconnectAll();
        QTest::qWait(500);
        QVERIFY(bus.calls("logind").isEmpty());
    }

    void actionsReachTheManagers_data()
    {
        QTest::addColumn<int>("orderId");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("shut down") << 0 << QStringList{"PowerOff False"};
        QTest::newRow("restart") << 1 << QStringList{"Reboot False"};
        QTest::newRow("log off") << 2 << QStringList{"TerminateSession \"c7\""};
        QTest::newRow("lock") << 3 << QStringList{"LockSessions"};
        QTest::newRow("sleep") << 4 << QStringList{"Hibernate False"};
        QTest::newRow("stand-by") << 6 << QStringList{"Suspend False"};
        const QString active = "DeactivateConnection \"/org/freedesktop/NetworkManager/ActiveConnection/%1\"";
        QTest::newRow("disconnect") << 11 << QStringList{active.arg(7), active.arg(9)};
    }

    void actionsReachTheManagers()
    {
        QFETCH(int, orderId);
        QFETCH(QStringList, calls);
        const QString mock = orderId == 11 ? "networkmanager" : "logind";
        if (orderId == 11) {
            QVERIFY(bus.startMock("networkmanager", "org.freedesktop.NetworkManager"));
            QVERIFY(onObject("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager",
                             "n='/org/freedesktop/NetworkManager'; o.SetProperty(n, 'org.freedesktop.NetworkManager', "
                             "'ActiveConnections', dbus.Array([n+'/ActiveConnection/7', n+'/ActiveConnection/9'], "
                             "signature='o'), dbus_interface='org.freedesktop.DBus.Mock')"));
        }
        bus.clearLog(mock);
        ScratchDirectory scratch;
        Connection connection(nullptr);
        QVERIFY(connection.createTables());
        // Only the bus is under test: the display and the desktop stay out of it.
        ActionLog desktop;
        const ActionServices fakes = fakeActionServices(&desktop), real = ActionServices::system();
        ActionExecutor executor(
            &connection, {real.power, real.interpreter, fakes.display, real.network, fakes.terminator, fakes.launcher});
        const std::optional<ResolvedAction> action = executor.resolveAction(
            {{"id", "1"}, {"order_t", QString::number(orderId)}, {"app_position_t", "-1"}});
        QVERIFY(action);
        executor.run(*action);
        QTRY_COMPARE_WITH_TIMEOUT(
            bus.calls(mock).filter(QRegularExpression(
                "^(PowerOff|Reboot|Hibernate|Suspend|LockSessions|TerminateSession|DeactivateConnection)")),
            calls, 5000);
        QVERIFY(desktop.calls.isEmpty());
    }

    void sessionWithoutIdIsFoundByProcess()
    {
        // Started outside a session manager that names the session: logind is asked which
        // session this process belongs to, and that session is ended.
        QVERIFY(onObject("org.freedesktop.login1", "/org/freedesktop/login1",
                         "m='org.freedesktop.DBus.Mock'; "
                         "o.AddMethod('org.freedesktop.login1.Manager','GetSessionByPID','u','o',"
                         "'ret = dbus.ObjectPath(\\'/org/freedesktop/login1/session/c9\\')', dbus_interface=m); "
                         "o.AddObject('/org/freedesktop/login1/session/c9','org.freedesktop.login1.Session',{},"
                         "[('Terminate','','','')], dbus_interface=m)"));
        qunsetenv("XDG_SESSION_ID");
        bus.clearLog("logind");
        LogindPowerManager().terminateOwnSession();
        const QString pidCall = QStringLiteral("GetSessionByPID %1").arg(QCoreApplication::applicationPid());
        QTRY_COMPARE_WITH_TIMEOUT(bus.calls("logind").filter(QRegularExpression("^(GetSessionByPID|Terminate)")),
                                  (QStringList{pidCall, "Terminate"}), 5000);
    }

    void wakingFromSleepIsHeard()
    {
        LogindSleepWatcher watcher;
        QSignalSpy resumed(&watcher, &SleepWatcher::resumed);
        const QString sleepSignal = "o.EmitSignal('org.freedesktop.login1.Manager','PrepareForSleep','b',[%1], "
                                    "dbus_interface='org.freedesktop.DBus.Mock')";
        QVERIFY(onObject("org.freedesktop.login1", "/org/freedesktop/login1", sleepSignal.arg("True")));
        QTest::qWait(300);
        QCOMPARE(resumed.size(), 0);
        QVERIFY(onObject("org.freedesktop.login1", "/org/freedesktop/login1", sleepSignal.arg("False")));
        QTRY_COMPARE_WITH_TIMEOUT(resumed.size(), 1, 5000);
    }

    void cleanup() { session.reset(); }
    void waylandSessionsReadTheSessionsIdleTime()
    {
        // The session type, the Wayland display, and whether the idle time is the session's.
        const QVector<std::tuple<const char *, const char *, bool>> sessions = {
            {"wayland", "", true}, {"", "wayland-0", true}, {"x11", "", false}};
        for (const auto &[sessionType, waylandDisplay, fromTheSession] : sessions) {
            qputenv("XDG_SESSION_TYPE", sessionType);
            qputenv("WAYLAND_DISPLAY", waylandDisplay);
            const std::unique_ptr<InputActivitySource> source = PlatformServices::inputActivity();
            QCOMPARE(dynamic_cast<SessionIdleTimeSource *>(source.get()) != nullptr, fromTheSession);
            QCOMPARE(dynamic_cast<XInputActivitySource *>(source.get()) != nullptr, !fromTheSession);
        }
    }

    void inputIsSeenAsTheIdleTimeFallsAndIdlenessGoesWithTheService()
    {
        for (const Service &service : {Gnome, Kde}) {
            QVERIFY(startService(service));
            SessionIdleTimeSource source(nullptr, connection());
            QSignalSpy activity(&source, &InputActivitySource::activity);
            QSignalSpy changes(&source, &InputActivitySource::idleDetectionChanged);
            QVERIFY(source.start());
            QVERIFY(source.detectsIdleness());
            const QString input = "o.Input(dbus_interface='org.tickvale.MockInput')";
            // Nobody there: the idle time only grows.
            QTest::qWait(3200);
            QCOMPARE(activity.size(), 0);
            // One input: seen once, at the next reading.
            QVERIFY(onObject(service.name, service.path, input, session.get()));
            QTRY_COMPARE_WITH_TIMEOUT(activity.size(), 1, 2500);
            QTest::qWait(2200);
            QCOMPARE(activity.size(), 1);
            // Steady typing: seen at every reading.
            activity.clear();
            for (int i = 0; i < 12; ++i) {
                QVERIFY(onObject(service.name, service.path, input, session.get()));
                QTest::qWait(250);
            }
            QVERIFY2(activity.size() >= 2, qPrintable(QString::number(activity.size())));
            QVERIFY(source.detectsIdleness());
            // The service goes away: idleness cannot be seen until it is back, and the source says so.
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stopped telling the idle time"));
            session->stopMocks();
            QTRY_COMPARE_WITH_TIMEOUT(QList<QVariantList>(changes), QList<QVariantList>{{false}}, 10000);
            QVERIFY(!source.detectsIdleness());
            // A source that starts meanwhile finds no service at all.
            SessionIdleTimeSource late(nullptr, connection());
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("idleness cannot be detected"));
            QVERIFY(!late.start());
            QVERIFY(!late.detectsIdleness());
            QVERIFY(startService(service, QString(), false));
            QTRY_COMPARE_WITH_TIMEOUT(QList<QVariantList>(changes), (QList<QVariantList>{{false}, {true}}), 5000);
            QVERIFY(source.detectsIdleness());
        }
        // KDE that does not tell the idle time on Wayland cannot see idleness.
        QVERIFY(startService(Kde, R"({"supported": false})"));
        SessionIdleTimeSource source(nullptr, connection());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("idleness cannot be detected"));
        QVERIFY(!source.start());
        QVERIFY(!source.detectsIdleness());
    }

private:
    // Runs Python against an object of a mock bus (the system's unless told), as o.
    bool onObject(const QString &service, const QString &path, const QString &code, MockSystemBus *on = nullptr)
    {
        on = on ? on : &bus;
        return on->runPython(QStringLiteral("import dbus; b=dbus.bus.BusConnection('%1'); o=b.get_object('%2','%3'); ")
                                 .arg(on->address(), service, path)
                             + code);
    }

    // The desktop's service on the session bus; on a fresh one unless told.
    bool startService(const Service &service, const QString &parameters = QString(), bool freshBus = true)
    {
        if (freshBus && !(session = std::make_unique<MockSystemBus>())->start())
            return false;
        return session->startMock(TICKVALE_TEST_TEMPLATES "/" + service.file + ".py", service.name, true, parameters);
    }
    QDBusConnection connection()
    {
        return QDBusConnection::connectToBus(session->address(), QStringLiteral("session-%1").arg(++connections));
    }

    MockSystemBus bus;
    std::unique_ptr<MockSystemBus> session;
    int connections = 0;
};

QTEST_GUILESS_MAIN(TestSystemBus)
#include "tst_system_bus.moc"
