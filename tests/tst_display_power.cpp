#include "platform/linux/XDpmsDisplayPower.h"
#include "VirtualDisplay.h"

#include <QProcess>
#include <QtTest>

// Switching the monitor off through the X display's power management.
class TestDisplayPower : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void displayWithoutPowerManagementStaysOnAndSaysSo();
    void withoutDisplayNothingHappens();

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

QTEST_GUILESS_MAIN(TestDisplayPower)
#include "tst_display_power.moc"
