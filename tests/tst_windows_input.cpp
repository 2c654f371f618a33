// The socket headers before <windows.h>: the interface table types build on them.
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/PlatformServices.h"
#include "platform/SleepWatcher.h"
#include "platform/SystemClock.h"
#include "platform/windows/IpHelperCounters.h"
#include "platform/windows/LowLevelHookActivitySource.h"
#include "widgets/WindowDrag.h"

#include <QMouseEvent>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>
#include <QtTest>

#include <memory>
#include <thread>

Q_DECLARE_METATYPE(QVector<INPUT>)

namespace {

INPUT key(WORD virtualKey, bool release = false)
{
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki = KEYBDINPUT{virtualKey, 0, DWORD(release ? KEYEVENTF_KEYUP : 0), 0, 0};
    return input;
}

INPUT mouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0)
{
    return INPUT{INPUT_MOUSE, {MOUSEINPUT{dx, dy, data, flags, 0, 0}}};
}

// A button pressed and let go (a wheel turned twice).
QVector<INPUT> clicks(DWORD down, DWORD up, DWORD data = 0)
{
    return {mouse(down, 0, 0, data), mouse(up, 0, 0, data)};
}

// A small step there and back, so that the pointer never reaches the edge of the screen.
QVector<INPUT> moves(int count)
{
    QVector<INPUT> inputs;
    for (int i = 0; i < count; ++i)
        inputs << mouse(MOUSEEVENTF_MOVE, i % 2 ? -4 : 4, 0);
    return inputs;
}

INPUT pointerTo(const QPoint &position)
{
    return mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                 LONG(position.x() * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1)),
                 LONG(position.y() * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1)));
}

bool send(QVector<INPUT> inputs)
{
    return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == UINT(inputs.size());
}

class DragSurface final : public QWidget
{
protected:
    void mousePressEvent(QMouseEvent *event) override { WindowDrag::start(this, event); }
};

} // namespace

// The monitors' Windows facilities and the window drag on Wine's window system (Qt's Windows
// platform): input from SendInput, the real interface table, broadcasts, a real top-level window.
class TestWindowsInput : public QObject
{
    Q_OBJECT

private slots:
    void init() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2); }

    void hookCountsInputActivity_data()
    {
        QTest::addColumn<QVector<INPUT>>("inputs");
        QTest::addColumn<int>("expected");
        QTest::newRow("held key, each repeat, shift too")
            << QVector<INPUT>{key(VK_SHIFT), key('A'), key('A'), key('A', true), key(VK_SHIFT, true)} << 3;
        QTest::newRow("alt, a key with alt held, a release alone")
            << QVector<INPUT>{key(VK_MENU), key('A'), key('A', true), key(VK_MENU, true), key('B', true)} << 0;
        QTest::newRow("moves, left and right clicks, wheel notches")
            << (moves(2) + clicks(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP)
                + clicks(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP)
                + clicks(MOUSEEVENTF_WHEEL, MOUSEEVENTF_WHEEL, WHEEL_DELTA))
            << 8;
        QTest::newRow("middle click, horizontal wheel, extra buttons")
            << (clicks(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP)
                + clicks(MOUSEEVENTF_HWHEEL, MOUSEEVENTF_HWHEEL, WHEEL_DELTA)
                + clicks(MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1)
                + clicks(MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON2))
            << 0;
    }

    void hookCountsInputActivity()
    {
        QFETCH(QVector<INPUT>, inputs);
        QFETCH(int, expected);
        LowLevelHookActivitySource source;
        QSignalSpy activity(&source, &InputActivitySource::activity);
        QVERIFY(source.start());
        // A counted move comes last: once it is seen, everything before it has been seen.
        QVERIFY(send(inputs + moves(1)));
        QTRY_VERIFY_WITH_TIMEOUT(activity.size() >= expected + 1, 5000);
        QTest::qWait(100);
        QCOMPARE(activity.size(), expected + 1);
    }

    void unseenInputIsToldFromSeenInput()
    {
        // Last input, last hook call: hook after, a moment late, long before, across the tick wrap.
        const DWORD rows[][2] = {{50000, 50100}, {52000, 50000}, {52001, 50000}, {3000, 0xFFFFFF00}};
        QList<bool> unseen;
        for (const auto &row : rows)
            unseen << LowLevelHookActivitySource::inputWentUnseen(row[0], row[1]);
        QCOMPARE(unseen, (QList<bool>{false, false, true, true}));
    }

    void hooksThatSeeTheInputAreKeptUntilRemoved()
    {
        TAVMouseNKeyboardHook hook;
        QSignalSpy hasAction(&hook, &TAVMouseNKeyboardHook::hasAction);
        QSignalSpy detection(&hook, &TAVMouseNKeyboardHook::idleDetectionChanged);
        TAVMouseNKeyboardHook::installHook(&hook);
        QVERIFY(TAVMouseNKeyboardHook::isInstalled());
        // Later than the margin after the start, so that only the hook calls vouch for the input.
        QTest::qWait(2500);
        QVERIFY(send(moves(2) + clicks(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP)));
        QTRY_COMPARE_WITH_TIMEOUT(hasAction.size(), 2, 5000);
        // Past the next look at the system's last input, input the hooks saw is not taken as missed.
        const std::shared_ptr<SystemClock> clock = PlatformServices::systemClock();
        const qint64 uptime = clock->uptimeMilliseconds(), tickCount = qint64(GetTickCount64());
        QVERIFY2(uptime > 0 && qAbs(uptime - tickCount) < 100, qPrintable(QString("%1 %2").arg(uptime).arg(tickCount)));
        QTest::qWait(6000);
        const qint64 waited = clock->uptimeMilliseconds() - uptime;
        QVERIFY2(waited >= 5900 && waited < 10000, qPrintable(QString::number(waited)));
        QCOMPARE(QList<int>({hasAction.size(), detection.size()}), QList<int>({2, 0}));
        QVERIFY(TAVMouseNKeyboardHook::detectsIdleness());

        TAVMouseNKeyboardHook::uninstallHook();
        QVERIFY(send(moves(2) + QVector<INPUT>{key('A'), key('A', true)}
                     + clicks(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP)));
        QTest::qWait(500);
        QCOMPARE(hasAction.size(), 2);
        LowLevelHookActivitySource next;
        QVERIFY(next.start());
    }

    void countersGrowWithLoopbackTrafficAndAreSummedInSixtyFourBits()
    {
        std::unique_ptr<NetworkCounterSource> counters = PlatformServices::networkCounters();
        QVERIFY(counters->isSupported());
        const NetworkTotals before = counters->read();
        QTcpServer server;
        QTcpSocket client;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket *peer = server.nextPendingConnection();
        client.write(QByteArray(4 << 20, 'x'));
        qint64 received = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        while (received < 4 << 20 && elapsed.elapsed() < 10000) {
            client.waitForBytesWritten(20);
            if (peer->waitForReadyRead(20))
                received += peer->readAll().size();
        }
        QCOMPARE(received, 4 << 20);
        const NetworkTotals after = counters->read();
        const quint64 in = after.received - before.received, out = after.sent - before.sent;
        QVERIFY2(in >= 4u << 20 && out >= 4u << 20, qPrintable(QString("%1 %2").arg(in).arg(out)));

        const quint64 rows[][2] = {{5ull << 30, 7}, {0xFFFFFFFFull, 1ull << 40}, {1, 0}};
        QVector<MIB_IF_ROW2> space(4);
        auto *table = reinterpret_cast<PMIB_IF_TABLE2>(space.data());
        table->NumEntries = 3;
        for (int i = 0; i < 3; ++i)
            table->Table[i].InOctets = rows[i][0], table->Table[i].OutOctets = rows[i][1];
        const NetworkTotals totals = IpHelperCounters::sum(*table);
        QCOMPARE(QList<quint64>({totals.received, totals.sent}),
                 QList<quint64>({(5ull << 30) + 0xFFFFFFFFull + 1, (1ull << 40) + 7}));
    }

    void pressOnTheSurfaceDragsTheWindowThatHearsTheResume()
    {
        std::unique_ptr<SleepWatcher> watcher = PlatformServices::sleepWatcher();
        QSignalSpy resumed(watcher.get(), &SleepWatcher::resumed);
        DragSurface surface;
        surface.setWindowFlags(Qt::FramelessWindowHint);
        surface.setGeometry(200, 200, 240, 160);
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        const auto handle = reinterpret_cast<HWND>(surface.winId());
        RECT before{}, after{};
        QVERIFY(GetWindowRect(handle, &before));
        const QPoint grab(before.left + 120, before.top + 80), offset(90, 60);
        // The drag runs Windows' move loop on this thread until the button is up: the rest comes from another.
        std::thread hand([grab, offset] {
            send({pointerTo(grab)});
            Sleep(200);
            send({mouse(MOUSEEVENTF_LEFTDOWN)});
            Sleep(500);
            for (int step = 1; step <= 6; ++step) {
                send({pointerTo(grab + offset * step / 6)});
                Sleep(60);
            }
            Sleep(200);
            send({mouse(MOUSEEVENTF_LEFTUP)});
        });
        for (int tick = 0; tick < 80 && GetWindowRect(handle, &after) && after.left != before.left + offset.x(); ++tick)
            QTest::qWait(50);
        hand.join();
        QTest::qWait(200);
        QVERIFY(GetWindowRect(handle, &after));
        QCOMPARE(QPoint(after.left, after.top), QPoint(before.left, before.top) + offset);
        // Only the automatic resume's broadcast counts; the same message in the queue is not heard again.
        SendMessageW(handle, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        SendMessageW(handle, WM_NULL, PBT_APMRESUMEAUTOMATIC, 0);
        SendMessageW(handle, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        MSG queued{handle, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, 0, {}};
        long result = 0;
        QVERIFY(!QAbstractEventDispatcher::instance()->filterNativeEvent("windows_dispatcher_MSG", &queued, &result));
        QCOMPARE(resumed.size(), 1);
        watcher.reset();
        SendMessageW(handle, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    }
};

QTEST_MAIN(TestWindowsInput)
#include "tst_windows_input.moc"
