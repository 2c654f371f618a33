#include "monitors/TAVMouseNKeyboardHook.h"
#include "VirtualDisplay.h"

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
    void nothingAfterUninstall();
    void withoutDisplayNothingIsInstalled();

private:
    int countFor(const QStringList &arguments);

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
    if (!display.xdotool(arguments))
        return -2;
    QTest::qWait(400);
    return spy.size();
}

void TestInputHook::countsOnlyQualifyingInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("count");
    QTest::newRow("key press, not its release") << QStringList{"key", "a"} << 1;
    QTest::newRow("three key presses") << QStringList{"key", "--delay", "20", "a", "b", "c"} << 3;
    QTest::newRow("key with Alt held") << QStringList{"keydown", "alt", "key", "a", "keyup", "alt"} << 0;
    QTest::newRow("key after Alt was let go")
        << QStringList{"keydown", "alt", "keyup", "alt", "key", "a"} << 1;
    QTest::newRow("left click: press and release") << QStringList{"click", "1"} << 2;
    QTest::newRow("right click: press and release") << QStringList{"click", "3"} << 2;
    QTest::newRow("middle click") << QStringList{"click", "2"} << 0;
    QTest::newRow("wheel notch up") << QStringList{"click", "4"} << 1;
    QTest::newRow("wheel notch down") << QStringList{"click", "5"} << 1;
    QTest::newRow("horizontal wheel") << QStringList{"click", "6"} << 0;
    QTest::newRow("extra button") << QStringList{"click", "8"} << 0;
}

void TestInputHook::countsOnlyQualifyingInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, count);
    QCOMPARE(countFor(arguments), count);
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
