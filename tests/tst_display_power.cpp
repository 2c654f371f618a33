#include "VirtualDisplay.h"
#include "platform/linux/DpmsControl.h"
#include "platform/linux/XDpmsDisplayPower.h"

#include <QProcess>
#include <QtTest>

#include <memory>

namespace {

// A display with power management, as the test sees it; input on it is the test setting the
// level back to On.
struct DpmsDisplay
{
    bool capable = true;
    bool enabled = false;
    DpmsControl::Level level = DpmsControl::On;
    QStringList calls;
};

class FakeDpms : public DpmsControl
{
public:
    explicit FakeDpms(DpmsDisplay *screen)
        : display(screen)
    { }
    bool open() override
    {
        display->calls << "open";
        return true;
    }
    void close() override { display->calls << "close"; }
    bool capable() override { return display->capable; }
    bool enabled() override { return display->enabled; }
    void setEnabled(bool enable) override
    {
        display->calls << (enable ? "enable" : "disable");
        display->enabled = enable;
        // Like the X server: without power management the monitor is on.
        if (!enable)
            display->level = On;
    }
    Level level() override { return display->level; }
    void forceOff() override
    {
        display->calls << "off";
        display->level = Off;
    }

private:
    DpmsDisplay *display;
};

} // namespace

// Switching the monitor off through the X display's power management.
class TestDisplayPower : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void displayWithoutPowerManagementStaysOnAndSaysSo();
    void withoutDisplayNothingHappens();
    void theUsersSettingComesBackWithTheDisplay_data();
    void theUsersSettingComesBackWithTheDisplay();

private:
    VirtualDisplay display;
};

void TestDisplayPower::initTestCase()
{
    if (!VirtualDisplay::toolsPresent())
        QSKIP("Xvfb is needed (scripts/test.sh installs it)");
    QVERIFY(display.start(131));
    qputenv("DISPLAY", display.displayName().toLocal8Bit());
}

void TestDisplayPower::displayWithoutPowerManagementStaysOnAndSaysSo()
{
    // The virtual display has no power management extension, as some real ones do not.
    QTest::ignoreMessage(QtWarningMsg, "The display has no power management: the monitor stays on");
    XDpmsDisplayPower().turnOff();
    // The display is still there and answers.
    QVERIFY(display.xdotool({"getmouselocation"}));
}

void TestDisplayPower::withoutDisplayNothingHappens()
{
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":4243");
    QTest::ignoreMessage(QtWarningMsg, "No X display: the monitor cannot be switched off");
    XDpmsDisplayPower().turnOff();
    qputenv("DISPLAY", saved);
}

void TestDisplayPower::theUsersSettingComesBackWithTheDisplay_data()
{
    QTest::addColumn<bool>("capable");
    QTest::addColumn<bool>("enabledBefore");
    QTest::addColumn<int>("offRequests");
    QTest::addColumn<bool>("wakes"); // by input; otherwise the program ends while it is off
    QTest::addColumn<QStringList>("whileOff");
    QTest::addColumn<QStringList>("afterwards");
    const QStringList giveBack = {"disable", "close"};
    QTest::newRow("blanking off: on to switch off, off again after input")
        << true << false << 1 << true << QStringList{"open", "enable", "off"} << giveBack;
    QTest::newRow("blanking on: left on")
        << true << true << 1 << true << QStringList{"open", "off", "close"} << QStringList();
    QTest::newRow("two tasks while it is off: the user's setting comes back once")
        << true << false << 2 << true << QStringList{"open", "enable", "off", "off"} << giveBack;
    QTest::newRow("ending while it is off")
        << true << false << 1 << false << QStringList{"open", "enable", "off"} << giveBack;
    QTest::newRow("no power management: left alone")
        << false << false << 1 << true << QStringList{"open", "close"} << QStringList();
}

void TestDisplayPower::theUsersSettingComesBackWithTheDisplay()
{
    QFETCH(bool, capable);
    QFETCH(bool, enabledBefore);
    QFETCH(int, offRequests);
    QFETCH(bool, wakes);
    QFETCH(QStringList, whileOff);
    QFETCH(QStringList, afterwards);
    DpmsDisplay screen;
    screen.capable = capable;
    screen.enabled = enabledBefore;
    auto power = std::make_unique<XDpmsDisplayPower>(std::make_unique<FakeDpms>(&screen));
    if (!capable)
        QTest::ignoreMessage(QtWarningMsg, "The display has no power management: the monitor stays on");
    for (int i = 0; i < offRequests; ++i)
        power->turnOff();
    QTest::qWait(wakes ? 2500 : 0);
    QCOMPARE(screen.calls, whileOff);
    QCOMPARE(screen.level, capable ? DpmsControl::Off : DpmsControl::On);

    if (wakes) {
        // Someone moves the mouse: the server switches the monitor on.
        screen.level = DpmsControl::On;
        QTRY_COMPARE_WITH_TIMEOUT(screen.calls, whileOff + afterwards, 3000);
        QTest::qWait(1500);
    } else {
        power.reset();
    }
    QCOMPARE(screen.calls, whileOff + afterwards);
    QCOMPARE(screen.enabled, enabledBefore);
}

QTEST_GUILESS_MAIN(TestDisplayPower)
#include "tst_display_power.moc"
