// The socket headers before <windows.h>: the interface table types build on them.
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include "ScratchDirectory.h"
#include "monitors/NetInfoThread.h"
#include "monitors/TAVMouseNKeyboardHook.h"
#include "platform/PlatformServices.h"
#include "platform/SystemClock.h"
#include "platform/windows/IpHelperCounters.h"
#include "platform/windows/LowLevelHookActivitySource.h"
#include "platform/windows/PowerBroadcastSleepWatcher.h"
#include "widgets/WindowDrag.h"

#include <QAbstractEventDispatcher>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>
#include <QtTest>

#include <windows.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <thread>

Q_DECLARE_METATYPE(QVector<INPUT>)

namespace {

INPUT key(WORD virtualKey, bool release = false)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT mouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.mouseData = data;
    return input;
}

// A small step there and back, so that the pointer never reaches the edge of the screen.
QVector<INPUT> moves(int count)
{
    QVector<INPUT> inputs;
    for (int i = 0; i < count; ++i)
        inputs << mouse(MOUSEEVENTF_MOVE, i % 2 ? -4 : 4, 0);
    return inputs;
}

// The pointer to a screen position, in the absolute coordinates of SendInput (0 to 65535).
INPUT pointerTo(const QPoint &position)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    return mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, LONG(position.x() * 65535 / (width - 1)),
                 LONG(position.y() * 65535 / (height - 1)));
}

bool send(QVector<INPUT> inputs)
{
    return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == UINT(inputs.size());
}

// An interface table as GetIfTable2 hands it out, with the given octet counters per row.
struct FakeRow
{
    quint64 in;
    quint64 out;
};

PMIB_IF_TABLE2 fakeTable(const QVector<FakeRow> &rows)
{
    const size_t bytes = offsetof(MIB_IF_TABLE2, Table) + sizeof(MIB_IF_ROW2) * size_t(qMax(1, rows.size()));
    auto *table = static_cast<PMIB_IF_TABLE2>(std::calloc(1, bytes));
    table->NumEntries = ULONG(rows.size());
    MIB_IF_ROW2 *row = table->Table;
    for (const FakeRow &values : rows) {
        row->InOctets = values.in;
        row->OutOctets = values.out;
        ++row;
    }
    return table;
}

// Tables handed out one after the other, the last one again when they run out.
IpHelperCounters::TableSource tablesInTurn(std::shared_ptr<std::deque<QVector<FakeRow>>> tables)
{
    return {[tables](PMIB_IF_TABLE2 *table) -> DWORD {
                *table = fakeTable(tables->front());
                if (tables->size() > 1)
                    tables->pop_front();
                return NO_ERROR;
            },
            [](PMIB_IF_TABLE2 table) { std::free(table); }};
}

// Sends a few megabytes from one loopback socket to another.
qint64 sendOverLoopback(int megabytes)
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return -1;
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    if (!server.waitForNewConnection(5000))
        return -1;
    QTcpSocket *peer = server.nextPendingConnection();
    const QByteArray chunk(1 << 20, 'x');
    for (int i = 0; i < megabytes; ++i)
        client.write(chunk);
    qint64 received = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    while (received < qint64(megabytes) * chunk.size() && elapsed.elapsed() < 10000) {
        client.waitForBytesWritten(20);
        if (peer->waitForReadyRead(20))
            received += peer->readAll().size();
    }
    return received;
}

// A frameless window that the user drags by its surface, as the program's own windows are.
class DragSurface final : public QWidget
{
public:
    DragSurface()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    { }

protected:
    void mousePressEvent(QMouseEvent *event) override { WindowDrag::start(this, event); }
};

} // namespace

// The Windows facilities of the monitors and the window drag, met on Wine's own window system
// (this suite runs on Qt's Windows platform, not offscreen): input sent with SendInput, the
// real interface table, broadcast messages, a real top-level window.
class TestWindowsInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hookCountsInputActivity_data();
    void hookCountsInputActivity();
    void nothingCountsAfterTheHooksAreRemoved();
    void programHookReportsThroughThePlatformServices();
    void unseenInputIsToldFromSeenInput_data();
    void unseenInputIsToldFromSeenInput();
    void hooksThatSeeTheInputAreKept();

    void countersGrowWithLoopbackTraffic();
    void countersAreSummedInSixtyFourBits();
    void counterStepGivesNoBogusRate_data();
    void counterStepGivesNoBogusRate();

    void resumeBroadcastIsHeard_data();
    void resumeBroadcastIsHeard();
    void resumeSentToAWindowIsHeard();

    void uptimeIsTheSystemTickCount();

    void pressOnTheSurfaceDragsTheWindow();

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

void TestWindowsInput::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    // Away from the edges, so that relative moves always move the pointer.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
}

void TestWindowsInput::cleanup()
{
    scratch.reset();
}

void TestWindowsInput::hookCountsInputActivity_data()
{
    QTest::addColumn<QVector<INPUT>>("inputs");
    QTest::addColumn<int>("expected");

    QTest::newRow("key press and release") << QVector<INPUT>{key('A'), key('A', true)} << 1;
    QTest::newRow("held key, each repeat") << QVector<INPUT>{key('A'), key('A'), key('A'), key('A', true)} << 3;
    QTest::newRow("shift then a letter") << QVector<INPUT>{key(VK_SHIFT), key('A'), key('A', true), key(VK_SHIFT, true)}
                                         << 2;
    QTest::newRow("alt and a key with alt held")
        << QVector<INPUT>{key(VK_MENU), key('A'), key('A', true), key(VK_MENU, true)} << 0;
    QTest::newRow("key release alone") << QVector<INPUT>{key('B', true)} << 0;
    QTest::newRow("pointer moves") << moves(3) << 3;
    QTest::newRow("left click") << QVector<INPUT>{mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)} << 2;
    QTest::newRow("right click") << QVector<INPUT>{mouse(MOUSEEVENTF_RIGHTDOWN), mouse(MOUSEEVENTF_RIGHTUP)} << 2;
    QTest::newRow("wheel notches") << QVector<INPUT>{mouse(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA),
                                                     mouse(MOUSEEVENTF_WHEEL, 0, 0, DWORD(-WHEEL_DELTA))}
                                   << 2;
    QTest::newRow("middle click") << QVector<INPUT>{mouse(MOUSEEVENTF_MIDDLEDOWN), mouse(MOUSEEVENTF_MIDDLEUP)} << 0;
    QTest::newRow("horizontal wheel") << QVector<INPUT>{mouse(MOUSEEVENTF_HWHEEL, 0, 0, WHEEL_DELTA)} << 0;
    QTest::newRow("extra buttons") << QVector<INPUT>{mouse(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON1),
                                                     mouse(MOUSEEVENTF_XUP, 0, 0, XBUTTON1),
                                                     mouse(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON2),
                                                     mouse(MOUSEEVENTF_XUP, 0, 0, XBUTTON2)}
                                   << 0;
}

void TestWindowsInput::hookCountsInputActivity()
{
    QFETCH(QVector<INPUT>, inputs);
    QFETCH(int, expected);
    LowLevelHookActivitySource source;
    QSignalSpy activity(&source, &InputActivitySource::activity);
    QVERIFY(source.start());
    // One move that counts comes last: once it is seen, everything before it has been seen.
    QVERIFY(send(inputs + moves(1)));
    QTRY_VERIFY_WITH_TIMEOUT(activity.size() >= expected + 1, 5000);
    QTest::qWait(100);
    QCOMPARE(activity.size(), expected + 1);
}

void TestWindowsInput::nothingCountsAfterTheHooksAreRemoved()
{
    LowLevelHookActivitySource source;
    QSignalSpy activity(&source, &InputActivitySource::activity);
    QVERIFY(source.start());
    QVERIFY(send(moves(1)));
    QTRY_COMPARE_WITH_TIMEOUT(activity.size(), 1, 5000);

    source.stop();
    QVERIFY(send(moves(2)
                 + QVector<INPUT>{key('A'), key('A', true), mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)}));
    QTest::qWait(500);
    QCOMPARE(activity.size(), 1);

    // The hooks are free again for the next watch.
    LowLevelHookActivitySource next;
    QVERIFY(next.start());
}

void TestWindowsInput::programHookReportsThroughThePlatformServices()
{
    TAVMouseNKeyboardHook hook;
    QSignalSpy hasAction(&hook, &TAVMouseNKeyboardHook::hasAction);
    TAVMouseNKeyboardHook::installHook(&hook);
    QVERIFY(TAVMouseNKeyboardHook::isInstalled());
    QVERIFY(send(moves(2)));
    QTRY_COMPARE_WITH_TIMEOUT(hasAction.size(), 2, 5000);

    TAVMouseNKeyboardHook::uninstallHook();
    QVERIFY(send(moves(2)));
    QTest::qWait(500);
    QCOMPARE(hasAction.size(), 2);
}

void TestWindowsInput::unseenInputIsToldFromSeenInput_data()
{
    QTest::addColumn<uint>("lastInput");
    QTest::addColumn<uint>("lastHookCall");
    QTest::addColumn<bool>("unseen");

    QTest::newRow("input seen by the hook") << 50000u << 50000u << false;
    QTest::newRow("hook called after the input") << 50000u << 50100u << false;
    QTest::newRow("hook a moment late") << 52000u << 50000u << false;
    QTest::newRow("input long after the last hook call") << 52001u << 50000u << true;
    QTest::newRow("across the wrap of the tick count") << 3000u << 0xFFFFFF00u << true;
    QTest::newRow("hook called after the wrap") << 0xFFFFFF00u << 100u << false;
}

void TestWindowsInput::unseenInputIsToldFromSeenInput()
{
    QFETCH(uint, lastInput);
    QFETCH(uint, lastHookCall);
    QFETCH(bool, unseen);
    QCOMPARE(LowLevelHookActivitySource::inputWentUnseen(DWORD(lastInput), DWORD(lastHookCall)), unseen);
}

void TestWindowsInput::hooksThatSeeTheInputAreKept()
{
    LowLevelHookActivitySource source;
    QSignalSpy activity(&source, &InputActivitySource::activity);
    QSignalSpy detection(&source, &InputActivitySource::idleDetectionChanged);
    QVERIFY(source.start());
    // Later than the margin after the start, so that only the hook calls vouch for the input.
    QTest::qWait(2500);
    QVERIFY(send(moves(1) + QVector<INPUT>{mouse(MOUSEEVENTF_MIDDLEDOWN), mouse(MOUSEEVENTF_MIDDLEUP)}));
    QTRY_COMPARE_WITH_TIMEOUT(activity.size(), 1, 5000);
    // Past the next look at the system's last input: input the hooks saw (counted or not) is not
    // taken for input they missed.
    QTest::qWait(6000);
    QCOMPARE(activity.size(), 1);
    QCOMPARE(detection.size(), 0);
    QVERIFY(source.detectsIdleness());
}

void TestWindowsInput::countersGrowWithLoopbackTraffic()
{
    std::unique_ptr<NetworkCounterSource> counters = PlatformServices::networkCounters();
    QVERIFY(counters->isSupported());
    const NetworkTotals before = counters->read();
    const int megabytes = 4;
    QCOMPARE(sendOverLoopback(megabytes), qint64(megabytes) << 20);
    const NetworkTotals after = counters->read();
    const quint64 bytes = quint64(megabytes) << 20;
    QVERIFY2(after.received - before.received >= bytes, qPrintable(QString::number(after.received - before.received)));
    QVERIFY2(after.sent - before.sent >= bytes, qPrintable(QString::number(after.sent - before.sent)));
}

void TestWindowsInput::countersAreSummedInSixtyFourBits()
{
    const quint64 fiveGigabytes = 5ull << 30;
    PMIB_IF_TABLE2 table = fakeTable({{fiveGigabytes, 7}, {0xFFFFFFFFull, 1ull << 40}, {1, 0}});
    const NetworkTotals totals = IpHelperCounters::sum(*table);
    std::free(table);
    QCOMPARE(totals.received, fiveGigabytes + 0xFFFFFFFFull + 1);
    QCOMPARE(totals.sent, (1ull << 40) + 7);
}

void TestWindowsInput::counterStepGivesNoBogusRate_data()
{
    QTest::addColumn<quint64>("previous");
    QTest::addColumn<quint64>("current");
    QTest::addColumn<int>("download");

    QTest::newRow("64-bit counter crosses 2^32") << quint64(0xFFFFF800u) << quint64(0x100000400ull) << 3;
    QTest::newRow("32-bit counter wraps") << quint64(0xFFFFF800u) << quint64(0x400u) << 0;
    QTest::newRow("adapter reset") << quint64(5ull << 30) << quint64(1000) << 0;
    QTest::newRow("2047 bytes") << quint64(1000) << quint64(3047) << 1;
}

void TestWindowsInput::counterStepGivesNoBogusRate()
{
    QFETCH(quint64, previous);
    QFETCH(quint64, current);
    QFETCH(int, download);
    // A second interface that does not change must not disturb the sum.
    auto tables = std::make_shared<std::deque<QVector<FakeRow>>>(
        std::deque<QVector<FakeRow>>{{{previous, 100}, {1ull << 33, 0}}, {{current, 100}, {1ull << 33, 0}}});
    NetInfoThread sampler(nullptr, std::make_unique<IpHelperCounters>(tablesInTurn(tables)));
    QSignalSpy rates(&sampler, &NetInfoThread::netspeedResult);
    sampler.appendDownloadStandSpeed(1000);
    QSignalSpy reached(&sampler, &NetInfoThread::overSpeed);
    sampler.samplePass();
    sampler.samplePass();
    QCOMPARE(rates.size(), 2);
    QCOMPARE(rates.last().at(0).toInt(), download);
    QCOMPARE(rates.last().at(1).toInt(), 0);
    QCOMPARE(reached.size(), 0);
}

void TestWindowsInput::resumeBroadcastIsHeard_data()
{
    QTest::addColumn<QByteArray>("eventType");
    QTest::addColumn<uint>("message");
    QTest::addColumn<quint64>("wParam");
    QTest::addColumn<int>("resumed");

    QTest::newRow("resumed automatically")
        << QByteArray("windows_generic_MSG") << uint(WM_POWERBROADCAST) << quint64(PBT_APMRESUMEAUTOMATIC) << 1;
    QTest::newRow("going to sleep") << QByteArray("windows_generic_MSG") << uint(WM_POWERBROADCAST)
                                    << quint64(PBT_APMSUSPEND) << 0;
    QTest::newRow("resumed by a person, after the automatic one")
        << QByteArray("windows_generic_MSG") << uint(WM_POWERBROADCAST) << quint64(PBT_APMRESUMESUSPEND) << 0;
    QTest::newRow("power source changed")
        << QByteArray("windows_generic_MSG") << uint(WM_POWERBROADCAST) << quint64(PBT_APMPOWERSTATUSCHANGE) << 0;
    QTest::newRow("another message") << QByteArray("windows_generic_MSG") << uint(WM_SYSCOMMAND)
                                     << quint64(PBT_APMRESUMEAUTOMATIC) << 0;
    QTest::newRow("the same message from the queue")
        << QByteArray("windows_dispatcher_MSG") << uint(WM_POWERBROADCAST) << quint64(PBT_APMRESUMEAUTOMATIC) << 0;
}

void TestWindowsInput::resumeBroadcastIsHeard()
{
    QFETCH(QByteArray, eventType);
    QFETCH(uint, message);
    QFETCH(quint64, wParam);
    QFETCH(int, resumed);
    std::unique_ptr<SleepWatcher> watcher = PlatformServices::sleepWatcher();
    QSignalSpy spy(watcher.get(), &SleepWatcher::resumed);
    MSG windowMessage{};
    windowMessage.message = message;
    windowMessage.wParam = WPARAM(wParam);
    long result = 0;
    // Through the filters installed on the event dispatcher, as Qt's window procedure calls them.
    const bool swallowed = QAbstractEventDispatcher::instance()->filterNativeEvent(eventType, &windowMessage, &result);
    QVERIFY(!swallowed);
    QCOMPARE(spy.size(), resumed);

    watcher.reset();
    QAbstractEventDispatcher::instance()->filterNativeEvent(eventType, &windowMessage, &result);
}

void TestWindowsInput::resumeSentToAWindowIsHeard()
{
    PowerBroadcastSleepWatcher watcher;
    QSignalSpy spy(&watcher, &SleepWatcher::resumed);
    QWidget window;
    window.resize(120, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SendMessageW(reinterpret_cast<HWND>(window.winId()), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    QCOMPARE(spy.size(), 1);
}

void TestWindowsInput::uptimeIsTheSystemTickCount()
{
    const std::shared_ptr<SystemClock> clock = PlatformServices::systemClock();
    const qint64 first = clock->uptimeMilliseconds();
    const qint64 tickCount = qint64(GetTickCount64());
    QTest::qWait(300);
    const qint64 second = clock->uptimeMilliseconds();
    QVERIFY(first > 0);
    QVERIFY2(qAbs(first - tickCount) < 100, qPrintable(QStringLiteral("%1 %2").arg(first).arg(tickCount)));
    QVERIFY2(second - first >= 250 && second - first < 5000, qPrintable(QString::number(second - first)));
}

void TestWindowsInput::pressOnTheSurfaceDragsTheWindow()
{
    DragSurface surface;
    surface.setGeometry(200, 200, 240, 160);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    const HWND handle = reinterpret_cast<HWND>(surface.winId());
    RECT before{};
    QVERIFY(GetWindowRect(handle, &before));
    const QPoint grab(before.left + 120, before.top + 80);
    const QPoint offset(90, 60);

    // The press reaches the window, whose drag then runs Windows' move loop on this thread until
    // the button comes up: the rest of the gesture has to come from elsewhere.
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
    QElapsedTimer elapsed;
    elapsed.start();
    RECT after = before;
    while (elapsed.elapsed() < 4000 && after.left != before.left + offset.x()) {
        QTest::qWait(50);
        GetWindowRect(handle, &after);
    }
    hand.join();
    QTest::qWait(200);
    QVERIFY(GetWindowRect(handle, &after));
    QCOMPARE(QPoint(after.left, after.top), QPoint(before.left, before.top) + offset);
}

QTEST_MAIN(TestWindowsInput)
#include "tst_windows_input.moc"
