#include "VirtualDisplay.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/linux/XInputActivitySource.h"

#include <QSignalSpy>
#include <QtTest>

// The desktop-wide input watch against a real X server of its own.
class TestInputHook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void countsOnlyQualifyingInput_data();
    void countsOnlyQualifyingInput();
    void keysCountWhileAnotherProgramHoldsTheKeyboard_data();
    void keysCountWhileAnotherProgramHoldsTheKeyboard();
    void nothingAfterUninstall();
    void withoutDisplayNothingIsInstalled();

private:
    int countFor(const QStringList &arguments);
    int runXdotool(const QStringList &arguments);
    bool grabKeyboard(QProcess &grabber);

    VirtualDisplay display;
    TAVMouseNKeyboardHook hook;
};

void TestInputHook::initTestCase()
{
    if (!VirtualDisplay::toolsPresent())
        QSKIP("Xvfb and xdotool are needed (scripts/test.sh installs them)");
    QVERIFY(display.start());
    qputenv("DISPLAY", display.displayName().toLocal8Bit());
    // Park the pointer so that later relative moves really move it.
    QVERIFY(display.xdotool({"mousemove", "500", "400"}));
}

void TestInputHook::cleanup()
{
    TAVMouseNKeyboardHook::uninstallHook();
}

int TestInputHook::countFor(const QStringList &arguments)
{
    TAVMouseNKeyboardHook::installHook(&hook);
    if (!TAVMouseNKeyboardHook::isInstalled())
        return -1;
    QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
    QTest::qWait(100);
    spy.clear();
    if (runXdotool(arguments) != 0)
        return -2;
    QTest::qWait(400);
    return spy.size();
}

int TestInputHook::runXdotool(const QStringList &arguments)
{
    // The watch keeps working while xdotool runs (a held key is reported while it is down).
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.displayName());
    tool.setProcessEnvironment(environment);
    tool.start("xdotool", arguments);
    for (int waited = 0; tool.state() != QProcess::NotRunning && waited < 10000; waited += 20)
        QTest::qWait(20);
    return tool.state() == QProcess::NotRunning ? tool.exitCode() : -1;
}

void TestInputHook::countsOnlyQualifyingInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("least");
    QTest::addColumn<int>("most");
    QTest::newRow("key press, not its release") << QStringList{"key", "a"} << 1 << 1;
    QTest::newRow("key with Alt held") << QStringList{"keydown", "alt", "key", "a", "keyup", "alt"} << 0 << 0;
    QTest::newRow("key after Alt was let go") << QStringList{"keydown", "alt", "keyup", "alt", "key", "a"} << 1 << 1;
    QTest::newRow("left click: press and release") << QStringList{"click", "1"} << 2 << 2;
    QTest::newRow("right click: press and release") << QStringList{"click", "3"} << 2 << 2;
    QTest::newRow("middle click") << QStringList{"click", "2"} << 0 << 0;
    QTest::newRow("wheel notch up") << QStringList{"click", "4"} << 1 << 1;
    QTest::newRow("wheel notch down") << QStringList{"click", "5"} << 1 << 1;
    QTest::newRow("horizontal wheel") << QStringList{"click", "6"} << 0 << 0;
    QTest::newRow("extra button") << QStringList{"click", "8"} << 0 << 0;
    // A held key repeats: it is activity for as long as it is down, not once.
    QTest::newRow("key held 3.5 s") << QStringList{"keydown", "a", "sleep", "3.5", "keyup", "a"} << 3 << 5;
    QTest::newRow("key held 3.5 s with Alt")
        << QStringList{"keydown", "alt", "keydown", "a", "sleep", "3.5", "keyup", "a", "keyup", "alt"} << 0 << 0;
}

void TestInputHook::countsOnlyQualifyingInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, least);
    QFETCH(int, most);
    const int seen = countFor(arguments);
    QVERIFY2(seen >= least && seen <= most, qPrintable(QString::number(seen)));
    if (arguments.contains("sleep")) {
        // Once it is let go, the held key is quiet.
        QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
        QTest::qWait(2500);
        QCOMPARE(spy.size(), 0);
    }
}

bool TestInputHook::grabKeyboard(QProcess &grabber)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.displayName());
    grabber.setProcessEnvironment(environment);
    grabber.start(QStringLiteral(GRAB_KEYBOARD_HELPER), QStringList());
    return grabber.waitForReadyRead(5000) && grabber.readLine().trimmed() == "grabbed";
}

void TestInputHook::keysCountWhileAnotherProgramHoldsTheKeyboard_data()
{
    QTest::addColumn<int>("xinputMinor");
    QTest::addColumn<QStringList>("beforeGrab");
    QTest::addColumn<QStringList>("duringGrab");
    QTest::addColumn<QStringList>("afterGrab");
    QTest::addColumn<int>("count");
    // Alt+Tab: the window manager grabs the keyboard while Alt is down; Alt comes up inside it.
    QTest::newRow("Alt let go inside the grab, then a key")
        << 2 << QStringList{"keydown", "alt"} << QStringList{"keyup", "alt"} << QStringList{"key", "a"} << 1;
    QTest::newRow("keys typed inside the grab")
        << 2 << QStringList() << QStringList{"key", "--delay", "20", "a", "b"} << QStringList() << 2;
    // A server that speaks XInput 2.0 only withholds the release: Alt must not stay held.
    QTest::newRow("Alt release unseen, keys a second later")
        << 0 << QStringList{"keydown", "alt"} << QStringList{"keyup", "alt"} << QStringList{"sleep", "1.5", "key", "a"}
        << 1;
}

void TestInputHook::keysCountWhileAnotherProgramHoldsTheKeyboard()
{
    QFETCH(int, xinputMinor);
    QFETCH(QStringList, beforeGrab);
    QFETCH(QStringList, duringGrab);
    QFETCH(QStringList, afterGrab);
    QFETCH(int, count);
    TAVMouseNKeyboardHook::setSourceFactory(
        [xinputMinor] { return std::make_unique<XInputActivitySource>(nullptr, xinputMinor); });
    if (xinputMinor < 1)
        QTest::ignoreMessage(QtWarningMsg,
                             "The X display offers XInput 2.0 only: input inside other programs' grabs is not seen");
    TAVMouseNKeyboardHook::installHook(&hook);
    TAVMouseNKeyboardHook::setSourceFactory(nullptr);
    QVERIFY(TAVMouseNKeyboardHook::isInstalled());
    QSignalSpy spy(&hook, &TAVMouseNKeyboardHook::hasAction);
    QTest::qWait(100);
    if (!beforeGrab.isEmpty())
        QVERIFY(display.xdotool(beforeGrab));
    QProcess grabber;
    QVERIFY(grabKeyboard(grabber));
    QVERIFY(display.xdotool(duringGrab));
    QTest::qWait(200);
    grabber.write("release\n");
    QVERIFY(grabber.waitForFinished(5000));
    QCOMPARE(grabber.exitCode(), 0);
    if (!afterGrab.isEmpty())
        QCOMPARE(runXdotool(afterGrab), 0);
    QTest::qWait(400);
    QCOMPARE(spy.size(), count);
}

void TestInputHook::nothingAfterUninstall()
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
}

void TestInputHook::withoutDisplayNothingIsInstalled()
{
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":4242");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No X display"));
    TAVMouseNKeyboardHook::installHook(&hook);
    QVERIFY(!TAVMouseNKeyboardHook::isInstalled());
    qputenv("DISPLAY", saved);
}

QTEST_GUILESS_MAIN(TestInputHook)
#include "tst_inputhook.moc"
