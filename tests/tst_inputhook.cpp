#include "VirtualDisplay.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/linux/DpmsControl.h"
#include "platform/linux/XDpmsDisplayPower.h"
#include "platform/linux/XInputActivitySource.h"

#include <QSignalSpy>
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
    DpmsDisplay *display;

public:
    explicit FakeDpms(DpmsDisplay *screen)
        : display(screen)
    { }
    bool open() override { return !(display->calls << "open").isEmpty(); }
    void close() override { display->calls << "close"; }
    bool capable() override { return display->capable; }
    bool enabled() override { return display->enabled; }
    void setEnabled(bool enable) override
    {
        display->calls << (enable ? "enable" : "disable");
        display->enabled = enable;
        // Like the X server: without power management the monitor is on.
        display->level = enable ? display->level : On;
    }
    Level level() override { return display->level; }
    void forceOff() override
    {
        display->calls << "off";
        display->level = Off;
    }
};

} // namespace

// The desktop-wide input watch, and switching the monitor off through the display's power
// management, against a real X server of its own.
class TestInputHook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!VirtualDisplay::toolsPresent())
            QSKIP("Xvfb and xdotool are needed (scripts/test.sh installs them)");
        QVERIFY(display.start());
        qputenv("DISPLAY", display.displayName().toLocal8Bit());
        // Park the pointer so that later relative moves really move it.
        QVERIFY(display.xdotool({"mousemove", "500", "400"}));
    }

    void cleanup() { TAVMouseNKeyboardHook::uninstallHook(); }
    void countsOnlyQualifyingInput()
    {
        // What xdotool does, and how many reports of activity it makes, at least and at most.
        const QVector<std::tuple<const char *, int, int>> inputs = {
            {"key a", 1, 1}, // the press, not its release
            {"keydown alt key a keyup alt", 0, 0},
            {"keydown alt keyup alt key a", 1, 1},
            {"click 1", 2, 2}, // left and right: press and release
            {"click 3", 2, 2},
            {"click 2", 0, 0}, // middle
            {"click 4", 1, 1}, // a wheel notch, up or down
            {"click 5", 1, 1},
            {"click 6", 0, 0}, // horizontal wheel
            // A held key repeats: it is activity for as long as it is down, not once.
            {"keydown a sleep 3.5 keyup a", 3, 5},
            {"keydown alt keydown a sleep 3.5 keyup a keyup alt", 0, 0}};
        TAVMouseNKeyboardHook::installHook(&hook);
        QVERIFY(TAVMouseNKeyboardHook::isInstalled());
        QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
        for (const auto &[input, least, most] : inputs) {
            QTest::qWait(100);
            spy.clear();
            QCOMPARE(runXdotool(QString(input).split(' ')), 0);
            QTest::qWait(400);
            QVERIFY2(spy.size() >= least && spy.size() <= most, qPrintable(input + QString(": %1").arg(spy.size())));
            if (QString(input).contains("sleep")) {
                // Once it is let go, the held key is quiet.
                spy.clear();
                QTest::qWait(2500);
                QVERIFY2(spy.isEmpty(), input);
            }
        }
    }

    void keysCountWhileAnotherProgramHoldsTheKeyboard_data()
    {
        QTest::addColumn<int>("xinputMinor");
        QTest::addColumn<QString>("input"); // before the grab | inside it | after it
        QTest::addColumn<int>("count");
        // Alt+Tab: the window manager grabs the keyboard while Alt is down; Alt comes up inside it.
        QTest::newRow("Alt let go inside the grab, then a key") << 2 << "keydown alt|keyup alt|key a" << 1;
        QTest::newRow("keys typed inside the grab") << 2 << "|key --delay 20 a b|" << 2;
        // A server that speaks XInput 2.0 only withholds the release: Alt must not stay held.
        QTest::newRow("Alt release unseen, keys a second later") << 0 << "keydown alt|keyup alt|sleep 1.5 key a" << 1;
    }

    void keysCountWhileAnotherProgramHoldsTheKeyboard()
    {
        QFETCH(int, xinputMinor);
        QFETCH(QString, input);
        QFETCH(int, count);
        const QStringList steps = input.split('|');
        const auto step = [&steps](int i) { return steps[i].split(' ', Qt::SkipEmptyParts); };
        TAVMouseNKeyboardHook::setSourceFactory(
            [xinputMinor] { return std::make_unique<XInputActivitySource>(nullptr, xinputMinor); });
        if (xinputMinor < 1)
            QTest::ignoreMessage(
                QtWarningMsg, "The X display offers XInput 2.0 only: input inside other programs' grabs is not seen");
        TAVMouseNKeyboardHook::installHook(&hook);
        TAVMouseNKeyboardHook::setSourceFactory(nullptr);
        QVERIFY(TAVMouseNKeyboardHook::isInstalled());
        QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
        QTest::qWait(100);
        QVERIFY(steps[0].isEmpty() || display.xdotool(step(0)));
        QProcess grabber;
        grabber.start(QStringLiteral(GRAB_KEYBOARD_HELPER), QStringList());
        QVERIFY(grabber.waitForReadyRead(5000) && grabber.readLine().trimmed() == "grabbed");
        QVERIFY(display.xdotool(step(1)));
        QTest::qWait(200);
        grabber.write("release\n");
        QVERIFY(grabber.waitForFinished(5000));
        QCOMPARE(grabber.exitCode(), 0);
        QVERIFY(steps[2].isEmpty() || runXdotool(step(2)) == 0);
        QTest::qWait(400);
        QCOMPARE(spy.size(), count);
    }

    void nothingAfterUninstallOrWithoutADisplayAndNoMonitorPower()
    {
        TAVMouseNKeyboardHook::installHook(&hook);
        QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
        QVERIFY(display.xdotool({"mousemove_relative", "--", "15", "10"}));
        QTRY_VERIFY_WITH_TIMEOUT(spy.size() >= 1, 2000);
        TAVMouseNKeyboardHook::uninstallHook();
        QVERIFY(!TAVMouseNKeyboardHook::isInstalled());
        spy.clear();
        QVERIFY(display.xdotool({"key", "a", "click", "1", "mousemove_relative", "--", "-15", "-10"}));
        QTest::qWait(400);
        QCOMPARE(spy.size(), 0);

        qputenv("DISPLAY", ":4242");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No X display"));
        TAVMouseNKeyboardHook::installHook(&hook);
        QVERIFY(!TAVMouseNKeyboardHook::isInstalled());
        QTest::ignoreMessage(QtWarningMsg, "No X display: the monitor cannot be switched off");
        XDpmsDisplayPower().turnOff();
        qputenv("DISPLAY", display.displayName().toLocal8Bit());
        // The virtual display has no power management extension, as some real ones do not; it
        // is still there and answers.
        QTest::ignoreMessage(QtWarningMsg, "The display has no power management: the monitor stays on");
        XDpmsDisplayPower().turnOff();
        QVERIFY(display.xdotool({"getmouselocation"}));
    }

    void theUsersMonitorSettingComesBackWithTheDisplay()
    {
        struct Case
        {
            bool capable, enabledBefore;
            int offRequests;
            bool wakes; // by input; otherwise the program ends while it is off
            QStringList whileOff, afterwards;
        };
        const QStringList giveBack = {"disable", "close"};
        const QVector<Case> cases = {
            // Blanking off: on to switch off, off again after input; two tasks while it is off give
            // the user's setting back once.
            {true, false, 1, true, {"open", "enable", "off"}, giveBack},
            {true, false, 2, true, {"open", "enable", "off", "off"}, giveBack},
            {true, false, 1, false, {"open", "enable", "off"}, giveBack},
            {true, true, 1, true, {"open", "off", "close"}, {}}, // blanking on: left on
            {false, false, 1, true, {"open", "close"}, {}}};     // no power management: left alone
        for (const Case &c : cases) {
            DpmsDisplay screen{c.capable, c.enabledBefore, DpmsControl::On, {}};
            auto power = std::make_unique<XDpmsDisplayPower>(std::make_unique<FakeDpms>(&screen));
            if (!c.capable)
                QTest::ignoreMessage(QtWarningMsg, "The display has no power management: the monitor stays on");
            for (int i = 0; i < c.offRequests; ++i)
                power->turnOff();
            QTest::qWait(c.wakes ? 2500 : 0);
            QCOMPARE(screen.calls, c.whileOff);
            QCOMPARE(screen.level, c.capable ? DpmsControl::Off : DpmsControl::On);
            if (c.wakes) {
                // Someone moves the mouse: the server switches the monitor on.
                screen.level = DpmsControl::On;
                QTRY_COMPARE_WITH_TIMEOUT(screen.calls, c.whileOff + c.afterwards, 3000);
                QTest::qWait(1500);
            } else {
                power.reset();
            }
            QCOMPARE(screen.calls, c.whileOff + c.afterwards);
            QCOMPARE(screen.enabled, c.enabledBefore);
        }
    }

private:
    int runXdotool(const QStringList &arguments);

    VirtualDisplay display;
    TAVMouseNKeyboardHook hook;
};

// Runs xdotool while the watch keeps working (a held key is reported while it is down).
int TestInputHook::runXdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start("xdotool", arguments);
    for (int waited = 0; tool.state() != QProcess::NotRunning && waited < 10000; waited += 20)
        QTest::qWait(20);
    return tool.state() == QProcess::NotRunning ? tool.exitCode() : -1;
}

QTEST_GUILESS_MAIN(TestInputHook)
#include "tst_inputhook.moc"
