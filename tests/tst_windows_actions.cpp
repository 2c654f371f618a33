#include "FakeActionServices.h"
#include "ScratchDirectory.h"
#include "actions/ActionExecutor.h"
#include "platform/windows/ComNetworkConnections.h"
#include "platform/windows/ExitWindowsPowerManager.h"
#include "platform/windows/HiddenCommandInterpreter.h"
#include "platform/windows/NotepadDesktopLauncher.h"
#include "platform/windows/SnapshotProcessTerminator.h"
#include "platform/windows/SysCommandDisplayPower.h"
#include "storage/RecordKeys.h"

#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// Every warning of the suite, also those written on the interpreter's waiting threads.
QMutex warningsLock;
QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg) {
        QMutexLocker locker(&warningsLock);
        warnings << message;
    }
    previousHandler(type, context, message);
}

bool warned(const QString &part)
{
    QMutexLocker locker(&warningsLock);
    return !warnings.filter(part).isEmpty();
}

// The connection manager, its list and each connection in one counting object, ended through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeNetwork final : public INetConnectionManager, public IEnumNetConnection, public INetConnection
{
public:
    HRESULT WINAPI QueryInterface(REFIID, void **object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return ULONG(++references); }
    ULONG WINAPI Release() override { return ULONG(--references); }
    HRESULT WINAPI EnumConnections(NETCONMGR_ENUM_FLAGS flags, IEnumNetConnection **found) override
    {
        askedWith = int(flags);
        return AddRef(), *found = this, S_OK;
    }
    HRESULT WINAPI Next(ULONG wanted, INetConnection **found, ULONG *fetched) override
    {
        if (wanted != 1 || listed == connections)
            return S_FALSE;
        ++listed;
        return AddRef(), *found = this, *fetched = 1, S_OK;
    }
    HRESULT WINAPI Disconnect() override { return ++disconnects, S_OK; }
    HRESULT WINAPI Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IEnumNetConnection **) override { return E_NOTIMPL; }
    HRESULT WINAPI Connect() override { return E_NOTIMPL; }
    HRESULT WINAPI Delete() override { return E_NOTIMPL; }
    HRESULT WINAPI Duplicate(LPCWSTR, INetConnection **) override { return E_NOTIMPL; }
    HRESULT WINAPI GetProperties(NETCON_PROPERTIES **) override { return E_NOTIMPL; }
    HRESULT WINAPI GetUiObjectClassId(CLSID *) override { return E_NOTIMPL; }
    HRESULT WINAPI Rename(LPCWSTR) override { return E_NOTIMPL; }

    int connections = 0;
    std::atomic_int listed{0};
    std::atomic_int references{1};
    std::atomic_int disconnects{0};
    std::atomic_int askedWith{-1};
};
#pragma GCC diagnostic pop

// Waits for a value to arrive, then makes sure that nothing more comes for a while.
#define QTRY_COMPARE_AND_STAY(actual, expected, timeout, quiet)                                                        \
    QTRY_COMPARE_WITH_TIMEOUT(actual, expected, timeout);                                                              \
    QTest::qWait(quiet);                                                                                               \
    QCOMPARE(actual, expected)

} // namespace

// The Windows routes of the actions, under Wine: power and lock texts reach stand-ins (checked first
// on the interpreter's path), session end, display and connections are fakes, only own processes end.
class TestWindowsActions : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
    ActionLog log;
    QStringList launches;
    QList<QProcess *> started;
    QString logPath;
    QString standIns;

    // The real interpreter, writing down what it launched; every other facility is a fake.
    ActionExecutor executorWithInterpreter()
    {
        ActionServices services = fakeActionServices(&log);
        services.interpreter = std::make_shared<HiddenCommandInterpreter>([this](SHELLEXECUTEINFOW *info) {
            launches << QString::asprintf("%ls|%ls|mask 0x%lx show %d size %lu%s%s%s", info->lpFile, info->lpParameters,
                                          info->fMask, info->nShow, info->cbSize, info->hwnd ? " window" : "",
                                          info->lpVerb ? " verb" : "", info->lpDirectory ? " directory" : "");
            return ShellExecuteExW(info);
        });
        return ActionExecutor(connection.get(), services);
    }

    QStringList standInLines() const
    {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        return lines;
    }

    QProcess *startCopy(const QString &relativePath)
    {
        const QString copy = scratch->filePath(relativePath);
        QDir().mkpath(QFileInfo(copy).path());
        if (!QFile::copy(standIns + "/shutdown.exe", copy))
            return nullptr;
        qputenv("TICKVALE_STAND_IN_SLEEP_MS", "60000");
        started << new QProcess;
        started.last()->start(copy, QStringList());
        return started.last()->waitForStarted(10000) ? started.last() : nullptr;
    }

private slots:
    void initTestCase()
    {
        previousHandler = qInstallMessageHandler(collectWarnings);
        standIns = QCoreApplication::applicationDirPath() + "/stand-ins";
        const QString folder = QDir::toNativeSeparators(standIns);
        qputenv("PATH", (folder + ";" + qEnvironmentVariable("PATH")).toLocal8Bit());
        // Before any power text runs: the interpreter finds the stand-ins, never the system's tools.
        QProcess probe;
        probe.setNativeArguments("/c for %i in (shutdown.exe rundll32.exe) do @echo %~$PATH:i");
        probe.start("cmd.exe", QStringList());
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(QString::fromLocal8Bit(probe.readAllStandardOutput()).toLower(),
                 (folder + "\\shutdown.exe\r\n" + folder + "\\rundll32.exe\r\n").toLower());
    }

    void init()
    {
        scratch = std::make_unique<ScratchDirectory>();
        connection = std::make_unique<Connection>(nullptr);
        QVERIFY(connection->createTables());
        log.calls.clear();
        launches.clear();
        logPath = QDir::toNativeSeparators(scratch->filePath("stand-in.log"));
        qputenv("TICKVALE_STAND_IN_LOG", logPath.toLocal8Bit());
        qunsetenv("TICKVALE_STAND_IN_SLEEP_MS");
        QMutexLocker locker(&warningsLock);
        warnings.clear();
    }

    void cleanup()
    {
        qDeleteAll(started);
        started.clear();
        connection.reset();
        // Wine lets go of a folder a finished process worked in a moment after the process ends.
        QTest::qWait(300);
        scratch.reset();
    }

    void catalogueTextsReachTheStandIns_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("line");
        QTest::newRow("关机") << 0 << "shutdown.exe|shutdown -s -f";
        QTest::newRow("重启, its blank kept") << 1 << "shutdown.exe|shutdown -r ";
        QTest::newRow("系统锁定") << 3 << "rundll32.exe|rundll32.exe user32.dll LockWorkStation";
        QTest::newRow("电脑睡眠") << 4 << "shutdown.exe|shutdown -h";
        QTest::newRow("电脑待机") << 6 << "rundll32.exe|rundll32 powrprof.dll,SetSuspendState";
    }

    void catalogueTextsReachTheStandIns()
    {
        QFETCH(int, id);
        QFETCH(QString, line);
        const QString text = line.section('|', 1);
        const QString command =
            connection->selectOrder({{Column::Id, QString::number(id)}}).value(0).value(Column::OrderCommand);
        QCOMPARE(command, text);
        executorWithInterpreter().executeCommand(command, id);
        // Hidden, its process kept to wait on, every other field zero; 112 bytes on a 64-bit build.
        QCOMPARE(launches, QStringList{"cmd.exe|cmd.exe /c " + text + "|mask 0x40 show 0 size 112"});
        QTRY_COMPARE_AND_STAY(standInLines(), QStringList{line}, 20000, 500);
        QVERIFY(log.calls.isEmpty());
    }

    void windowKeepsWorkingWhileTheCommandRunsAndFailuresAreLogged()
    {
        qputenv("TICKVALE_STAND_IN_SLEEP_MS", "5000");
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(100);
        QElapsedTimer clock;
        clock.start();
        executorWithInterpreter().executeCommand("shutdown -s -f", 0);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(standInLines().size(), 1, 20000);
        const int ticksBefore = ticks;
        QTest::qWait(2500);
        // The stand-in is still asleep, and the window's timers went on meanwhile.
        QVERIFY(!SnapshotProcessTerminator::processesNamed("shutdown.exe").isEmpty());
        QVERIFY2(ticks - ticksBefore >= 10, qPrintable(QString::number(ticks - ticksBefore)));
        QTRY_VERIFY_WITH_TIMEOUT(SnapshotProcessTerminator::processesNamed("shutdown.exe").isEmpty(), 15000);
        QVERIFY(!warned("Command ended"));

        // A failing command, an interpreter that does not start and no connection manager are logged.
        HiddenCommandInterpreter().run("exit 7");
        QTRY_VERIFY_WITH_TIMEOUT(warned("Command ended with 7 : \"exit 7\""), 20000);
        HiddenCommandInterpreter refused([](SHELLEXECUTEINFOW *) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        });
        refused.run("shutdown -s -f");
        QVERIFY(warned("The command interpreter did not start for \"shutdown -s -f\" - error 2"));
        ComNetworkConnections([](INetConnectionManager **found) {
            *found = nullptr;
            return REGDB_E_CLASSNOTREG;
        }).disconnectAll();
        QTRY_VERIFY_WITH_TIMEOUT(warned("The network connection manager is not there - result 80040154"), 10000);
        QTest::qWait(500);
        QCOMPARE(standInLines().size(), 1);
    }

    void closeProgramEndsEveryProcessOfThatName()
    {
        // The name itself, in other letters, within a longer name and after a letter more.
        for (const char *path :
             {"odd name &x.exe", "upper/ODD NAME &X.EXE", "my odd name &x.exe.exe", "xodd name &x.exe"})
            QVERIFY(startCopy(path));
        ActionServices services = fakeActionServices(&log);
        services.terminator = std::make_shared<SnapshotProcessTerminator>();
        ActionExecutor(connection.get(), services)
            .executeOrder({{"orderId", "10"},
                           {"commandStr", "wmic process where name=\"%1\" delete"},
                           {"appPositionStr", "C:/Program Files/odd name &x.exe"}});
        QVERIFY(started[0]->waitForFinished(10000) && started[1]->waitForFinished(10000));
        QVERIFY(!started[2]->waitForFinished(1500));
        QCOMPARE(started[3]->state(), QProcess::Running);
        QVERIFY(SnapshotProcessTerminator::processesNamed("odd name &x.exe").isEmpty());
    }

    void closeProgramOperandIsOnlyAName_data()
    {
        QTest::addColumn<QString>("operand");
        QTest::newRow("quotes and &") << "odd name &x.exe\" & echo ran> ran.txt & \"";
        QTest::newRow("pipe") << "odd name &x.exe | echo ran> ran.txt";
        QTest::newRow("caret") << "odd name ^&x.exe & echo ran> ran.txt";
        QTest::newRow("percent") << "%COMSPEC% /c echo ran> ran.txt";
        QTest::newRow("wmic's quote closed") << "x.exe\" or name like \"%";
    }

    void closeProgramOperandIsOnlyAName()
    {
        QFETCH(QString, operand);
        QVERIFY(startCopy("odd name &x.exe"));
        SnapshotProcessTerminator().terminateAll(operand);
        QVERIFY(!started[0]->waitForFinished(1500));
        QVERIFY(!QFile::exists("ran.txt"));
        QVERIFY(!SnapshotProcessTerminator::processesNamed("odd name &x.exe").isEmpty());
    }

    void displayOffAndLogOffReachTheirWindowsCalls()
    {
        // The monitor power command to the top window (none without one); log-off forced after the version query.
        HWND window = reinterpret_cast<HWND>(quintptr(0x4242));
        bool versionAnswers = true;
        QStringList made;
        ActionServices services = fakeActionServices(&log);
        auto display = std::make_shared<SysCommandDisplayPower>(SysCommandDisplayPower::WindowCalls{
            [&window] { return window; },
            [&made](HWND to, UINT message, WPARAM command, LPARAM value) {
                made << QString::asprintf("%llx %x %llx %lld", quintptr(to), message, command, value);
                return true;
            }});
        services.display = display;
        services.power = std::make_shared<ExitWindowsPowerManager>(ExitWindowsPowerManager::SessionCalls{
            [&](OSVERSIONINFOW *version) {
                made << QString("version %1").arg(version->dwOSVersionInfoSize);
                return BOOL(versionAnswers);
            },
            [&made](UINT flags, DWORD reason) {
                made << QString("exit 0x%1 reason %2").arg(flags, 0, 16).arg(reason);
                return TRUE;
            }});
        ActionExecutor(connection.get(), services).executeCommand("%systemroot%\\system32\\scrnsave.scr /s", 5);
        ActionExecutor(connection.get(), services).executeCommand("logoff", 2);
        versionAnswers = false;
        ActionExecutor(connection.get(), services).executeCommand("logoff", 2);
        window = nullptr;
        display->turnOff();
        QCOMPARE(made, QStringList({"4242 112 f170 2", "version 276", "exit 0x10 reason 0", "version 276"}));
        QVERIFY(warned("No top-level window"));
        QVERIFY(log.calls.isEmpty());
    }

    void everyNetworkConnectionIsDisconnected_data()
    {
        QTest::addColumn<int>("connections");
        QTest::newRow("three, command route") << 3;
        QTest::newRow("two, operand route") << 2;
    }

    void everyNetworkConnectionIsDisconnected()
    {
        QFETCH(int, connections);
        FakeNetwork network;
        network.connections = connections;
        std::atomic_int made{0};
        ActionServices services = fakeActionServices(&log);
        services.network = std::make_shared<ComNetworkConnections>([&network, &made](INetConnectionManager **found) {
            ++made;
            network.AddRef();
            *found = &network;
            return S_OK;
        });
        ActionExecutor executor(connection.get(), services);
        if (connections == 2)
            executor.executeOrder({{"orderId", "11"}, {"commandStr", "netsh"}, {"appPositionStr", "x"}});
        else
            executor.executeCommand("netsh interface set interface wlan0 disabled", 11);

        // On a thread of its own, which releases the manager, its list and each connection before it ends.
        QTRY_COMPARE_WITH_TIMEOUT(network.disconnects.load(), connections, 10000);
        QTRY_COMPARE_AND_STAY(network.references.load(), 1, 10000, 200);
        QCOMPARE(made.load(), 1);
        QCOMPARE(network.askedWith.load(), int(NCME_DEFAULT));
        QVERIFY(log.calls.isEmpty());
    }

    void notepadAndProgramsStartWithoutAShell()
    {
        // Notepad is found beside the program (a stand-in); a shell would also run the name's power text.
        const QString program = scratch->filePath("tool & shutdown -s -f.exe");
        QVERIFY(QFile::copy(standIns + "/shutdown.exe", program));
        NotepadDesktopLauncher().openFile("C:/Some Folder/a b & c.txt");
        NotepadDesktopLauncher().startProgram(program);
        const QStringList expected{"notepad.exe|notepad.exe C:/Some Folder/a b & c.txt",
                                   "tool & shutdown -s -f.exe|\"" + QDir::toNativeSeparators(program) + "\" "};
        QTRY_COMPARE_AND_STAY(standInLines(), expected, 20000, 1000);
    }
};

QTEST_GUILESS_MAIN(TestWindowsActions)
#include "tst_windows_actions.moc"
