#include "MockSystemBus.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/PlatformServices.h"
#include "platform/linux/SessionIdleTimeSource.h"
#include "platform/linux/XInputActivitySource.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The idle time of a Wayland desktop, read from the session bus: GNOME's and KDE's services
// stand on a private bus, as templates of this suite's own.
class TestSessionIdle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void waylandSessionsReadTheSessionsIdleTime_data();
    void waylandSessionsReadTheSessionsIdleTime();
    void inputIsSeenAsTheIdleTimeFalls_data();
    void inputIsSeenAsTheIdleTimeFalls();
    void withoutAnAnsweringServiceIdlenessCannotBeSeen_data();
    void withoutAnAnsweringServiceIdlenessCannotBeSeen();
    void aServiceThatGoesAwayTakesIdlenessWithIt();

private:
    bool startService(const QString &service, const QString &parameters = QString());
    void makeInput(const QString &service);
    QDBusConnection connection();

    std::unique_ptr<MockSystemBus> bus;
    int connections = 0;
};

namespace {

QString templatePath(const QString &service)
{
    return QStringLiteral(TICKVALE_TEST_TEMPLATES "/%1.py")
        .arg(service == "GNOME" ? "mutter_idle_monitor" : "kde_screensaver");
}

QString busName(const QString &service)
{
    return service == "GNOME" ? "org.gnome.Mutter.IdleMonitor" : "org.freedesktop.ScreenSaver";
}

QString objectPath(const QString &service)
{
    return service == "GNOME" ? "/org/gnome/Mutter/IdleMonitor/Core" : "/org/freedesktop/ScreenSaver";
}

} // namespace

void TestSessionIdle::initTestCase()
{
    if (!MockSystemBus::toolsPresent())
        QSKIP("dbus-daemon and python3-dbusmock are needed (scripts/test.sh installs them)");
}

void TestSessionIdle::cleanup()
{
    bus.reset();
}

bool TestSessionIdle::startService(const QString &service, const QString &parameters)
{
    bus = std::make_unique<MockSystemBus>();
    if (!bus->start())
        return false;
    return service.isEmpty() || bus->startMock(templatePath(service), busName(service), true, parameters);
}

QDBusConnection TestSessionIdle::connection()
{
    return QDBusConnection::connectToBus(bus->address(), QStringLiteral("session-%1").arg(++connections));
}

void TestSessionIdle::makeInput(const QString &service)
{
    QVERIFY(bus->runPython(QStringLiteral("import dbus; b=dbus.bus.BusConnection('%1'); "
                                          "b.get_object('%2','%3').Input(dbus_interface='org.tickvale.MockInput')")
                               .arg(bus->address(), busName(service), objectPath(service))));
}

void TestSessionIdle::waylandSessionsReadTheSessionsIdleTime_data()
{
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<bool>("fromTheSession");
    QTest::newRow("Wayland session") << QByteArray("wayland") << QByteArray() << true;
    QTest::newRow("Wayland display only") << QByteArray() << QByteArray("wayland-0") << true;
    QTest::newRow("X11 session") << QByteArray("x11") << QByteArray() << false;
    QTest::newRow("nothing said") << QByteArray() << QByteArray() << false;
}

void TestSessionIdle::waylandSessionsReadTheSessionsIdleTime()
{
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(bool, fromTheSession);
    const QByteArray savedType = qgetenv("XDG_SESSION_TYPE");
    const QByteArray savedDisplay = qgetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", sessionType);
    qputenv("WAYLAND_DISPLAY", waylandDisplay);
    const std::unique_ptr<InputActivitySource> source = PlatformServices::inputActivity();
    qputenv("XDG_SESSION_TYPE", savedType);
    qputenv("WAYLAND_DISPLAY", savedDisplay);
    QCOMPARE(dynamic_cast<SessionIdleTimeSource *>(source.get()) != nullptr, fromTheSession);
    QCOMPARE(dynamic_cast<XInputActivitySource *>(source.get()) != nullptr, !fromTheSession);
}

void TestSessionIdle::inputIsSeenAsTheIdleTimeFalls_data()
{
    QTest::addColumn<QString>("service");
    QTest::newRow("GNOME") << "GNOME";
    QTest::newRow("KDE") << "KDE";
}

void TestSessionIdle::inputIsSeenAsTheIdleTimeFalls()
{
    QFETCH(QString, service);
    QVERIFY(startService(service));
    SessionIdleTimeSource source(nullptr, connection());
    QSignalSpy activity(&source, &InputActivitySource::activity);
    QVERIFY(source.start());
    QVERIFY(source.detectsIdleness());

    // Nobody there: the idle time only grows.
    QTest::qWait(3200);
    QCOMPARE(activity.size(), 0);

    // One input: seen once, at the next reading.
    makeInput(service);
    QTRY_COMPARE_WITH_TIMEOUT(activity.size(), 1, 2500);
    QTest::qWait(2200);
    QCOMPARE(activity.size(), 1);

    // Steady typing: seen at every reading.
    activity.clear();
    for (int i = 0; i < 12; ++i) {
        makeInput(service);
        QTest::qWait(250);
    }
    QVERIFY2(activity.size() >= 2, qPrintable(QString::number(activity.size())));
    QVERIFY(source.detectsIdleness());
}

void TestSessionIdle::withoutAnAnsweringServiceIdlenessCannotBeSeen_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("parameters");
    QTest::newRow("no service") << QString() << QString();
    QTest::newRow("KDE that does not tell the idle time on Wayland") << "KDE"
                                                                     << R"({"supported": false})";
}

void TestSessionIdle::withoutAnAnsweringServiceIdlenessCannotBeSeen()
{
    QFETCH(QString, service);
    QFETCH(QString, parameters);
    QVERIFY(startService(service, parameters));
    SessionIdleTimeSource source(nullptr, connection());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("idleness cannot be detected"));
    QVERIFY(!source.start());
    QVERIFY(!source.detectsIdleness());

    // The watch the tab installs says so too, which keeps idle tasks from being armed.
    const QDBusConnection session = connection();
    TAVMouseNKeyboardHook::setSourceFactory(
        [session] { return std::make_unique<SessionIdleTimeSource>(nullptr, session); });
    TAVMouseNKeyboardHook hook;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("idleness cannot be detected"));
    TAVMouseNKeyboardHook::installHook(&hook);
    TAVMouseNKeyboardHook::setSourceFactory(nullptr);
    QVERIFY(!TAVMouseNKeyboardHook::detectsIdleness());
    TAVMouseNKeyboardHook::uninstallHook();
}

void TestSessionIdle::aServiceThatGoesAwayTakesIdlenessWithIt()
{
    QVERIFY(startService("GNOME"));
    SessionIdleTimeSource source(nullptr, connection());
    QSignalSpy changes(&source, &InputActivitySource::idleDetectionChanged);
    QVERIFY(source.start());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stopped telling the idle time"));
    bus->stopMocks();
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 1, 10000);
    QCOMPARE(changes.first().first().toBool(), false);
    QVERIFY(!source.detectsIdleness());

    // Back again: it can be seen again, and says so.
    QVERIFY(bus->startMock(templatePath("GNOME"), busName("GNOME"), true));
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 2, 5000);
    QCOMPARE(changes.last().first().toBool(), true);
    QVERIFY(source.detectsIdleness());
}

QTEST_GUILESS_MAIN(TestSessionIdle)
#include "tst_session_idle.moc"
