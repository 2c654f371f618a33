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
        // How many reports of activity what xdotool does makes, at least and at most: a key's press, not its
        // release; left and right buttons' press and release; a wheel notch, up or down; no middle button, no
        // horizontal wheel. A held key repeats: it is activity for as long as it is down, not once.
        const QVector<std::tuple<int, int, QStringList>> inputs = {
            {1, 1, {"key a", "keydown alt keyup alt key a", "click 4", "click 5"}},
            {2, 2, {"click 1", "click 3"}},
            {0, 0, {"keydown alt key a keyup alt", "click 2", "click 6"}},
            {3, 5, {"keydown a sleep 3.5 keyup a"}},
            {0, 0, {"keydown alt keydown a sleep 3.5 keyup a keyup alt"}}};
        TAVMouseNKeyboardHook::installHook(&hook);
        QVERIFY(TAVMouseNKeyboardHook::isInstalled());
        QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
        for (const auto &[least, most, group] : inputs) {
            for (const QString &input : group) {
                QTest::qWait(100);
                spy.clear();
                QCOMPARE(runXdotool(input.split(' ')), 0);
                QTest::qWait(400);
                QVERIFY2(least <= spy.size() && spy.size() <= most,
                         qPrintable(input + ' ' + QString::number(spy.size())));
                if (input.contains("sleep")) {
                    // Once it is let go, the held key is quiet.
                    spy.clear();
                    QTest::qWait(2500);
                    QVERIFY2(spy.isEmpty(), qPrintable(input));
                }
            }
        }
    }

    void keysCountWhileAnotherProgramHoldsTheKeyboard()
    {
        // The server's XInput minor version; xdotool before the grab | inside it | after it; the reports. Alt+Tab:
        // the window manager grabs the keyboard while Alt is down; Alt comes up inside it. A server that speaks
        // XInput 2.0 only withholds the release: Alt must not stay held.
        const QVector<std::tuple<int, const char *, int>> cases = {{2, "keydown alt|keyup alt|key a", 1},
                                                                   {2, "|key --delay 20 a b|", 2},
                                                                   {0, "keydown alt|keyup alt|sleep 1.5 key a", 1}};
        for (const auto &[xinputMinor, input, count] : cases) {
            const QStringList steps = QString(input).split('|');
            const auto step = [&steps](int i) { return steps[i].split(' ', Qt::SkipEmptyParts); };
            TAVMouseNKeyboardHook::setSourceFactory(
                [minor = xinputMinor] { return std::make_unique<XInputActivitySource>(nullptr, minor); });
            if (xinputMinor < 1)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("offers XInput 2.0 only: input inside other"));
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
            QVERIFY2(spy.size() == count, input);
            TAVMouseNKeyboardHook::uninstallHook();
        }
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
        // Whether the display has power management and blanking was on before; how many tasks switch it off;
        // whether input wakes it, or the program ends while it is off; the calls while it is off, and afterwards.
        const QStringList giveBack = {"disable", "close"};
        const QVector<std::tuple<bool, bool, int, bool, QStringList, QStringList>> cases = {
            // Blanking off: on to switch off, off again after input; two tasks while it is off give
            // the user's setting back once.
            {true, false, 1, true, {"open", "enable", "off"}, giveBack},
            {true, false, 2, true, {"open", "enable", "off", "off"}, giveBack},
            {true, false, 1, false, {"open", "enable", "off"}, giveBack},
            {true, true, 1, true, {"open", "off", "close"}, {}}, // blanking on: left on
            {false, false, 1, true, {"open", "close"}, {}}};     // no power management: left alone
        for (const auto &[capable, enabledBefore, offRequests, wakes, whileOff, afterwards] : cases) {
            DpmsDisplay screen{capable, enabledBefore, DpmsControl::On, {}};
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
    }

private:
    // Runs xdotool while the watch keeps working (a held key is reported while it is down).
    int runXdotool(const QStringList &arguments)
    {
        QProcess tool;
        tool.start("xdotool", arguments);
        for (int waited = 0; tool.state() != QProcess::NotRunning && waited < 10000; waited += 20)
            QTest::qWait(20);
        return tool.state() == QProcess::NotRunning ? tool.exitCode() : -1;
    }

    VirtualDisplay display;
    TAVMouseNKeyboardHook hook;
};

QTEST_GUILESS_MAIN(TestInputHook)
#include "tst_inputhook.moc"
