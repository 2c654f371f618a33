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

#include <QMutex>
#include <QProcess>
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

QString standInFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/stand-ins");
}

void setVariable(const QString &name, const QString &value)
{
    SetEnvironmentVariableW(reinterpret_cast<const wchar_t *>(name.utf16()),
                            value.isNull() ? nullptr : reinterpret_cast<const wchar_t *>(value.utf16()));
}

// What the interpreter gave the shell, copied while the call lasts.
struct LaunchRecord
{
    DWORD size = 0;
    ULONG mask = 0;
    bool window = false;
    bool verb = false;
    QString file;
    QString parameters;
    bool directory = false;
    int show = -1;
};

// A network connection, an enumerator and a manager that only count what is done to them. COM
// objects end through Release, never through a delete of an interface: the interfaces have no
// virtual destructor, and need none.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template<class Interface>
class Counted : public Interface
{
public:
    HRESULT WINAPI QueryInterface(REFIID, void **object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ULONG(++references); }
    ULONG WINAPI Release() override
    {
        ++releases;
        return ULONG(--references);
    }

    std::atomic_int references{1};
    std::atomic_int releases{0};
};

class FakeConnection final : public Counted<INetConnection>
{
public:
    HRESULT WINAPI Connect() override { return E_NOTIMPL; }
    HRESULT WINAPI Disconnect() override
    {
        ++disconnects;
        return S_OK;
    }
    HRESULT WINAPI Delete() override { return E_NOTIMPL; }
    HRESULT WINAPI Duplicate(LPCWSTR, INetConnection **) override { return E_NOTIMPL; }
    HRESULT WINAPI GetProperties(NETCON_PROPERTIES **) override { return E_NOTIMPL; }
    HRESULT WINAPI GetUiObjectClassId(CLSID *) override { return E_NOTIMPL; }
    HRESULT WINAPI Rename(LPCWSTR) override { return E_NOTIMPL; }

    std::atomic_int disconnects{0};
};

class FakeEnumerator final : public Counted<IEnumNetConnection>
{
public:
    explicit FakeEnumerator(QList<FakeConnection *> listed)
        : connections(std::move(listed))
    { }
    HRESULT WINAPI Next(ULONG wanted, INetConnection **found, ULONG *fetched) override
    {
        if (wanted != 1 || next >= connections.size())
            return S_FALSE;
        connections.at(next)->AddRef();
        *found = connections.at(next++);
        if (fetched != nullptr)
            *fetched = 1;
        return S_OK;
    }
    HRESULT WINAPI Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IEnumNetConnection **) override { return E_NOTIMPL; }

private:
    QList<FakeConnection *> connections;
    int next = 0;
};

class FakeManager final : public Counted<INetConnectionManager>
{
public:
    explicit FakeManager(FakeEnumerator *listing)
        : enumerator(listing)
    { }
    HRESULT WINAPI EnumConnections(NETCONMGR_ENUM_FLAGS flags, IEnumNetConnection **found) override
    {
        askedWith = int(flags);
        enumerator->AddRef();
        *found = enumerator;
        return S_OK;
    }

    std::atomic_int askedWith{-1};

private:
    FakeEnumerator *enumerator;
};
#pragma GCC diagnostic pop

} // namespace

// The Windows routes of the actions, run under Wine. Nothing here can switch off, restart, lock,
// log off or disconnect anything: the power and lock texts reach stand-ins (first on the
// interpreter's path, checked before any such text runs), the session end, the display command
// and the connection manager are fakes, and the only processes ended are the suite's own.
class TestWindowsActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void catalogueTextsReachTheStandIns_data();
    void catalogueTextsReachTheStandIns();
    void windowKeepsWorkingWhileTheCommandRuns();
    void failedCommandsAreLogged();
    void closeProgramEndsEveryProcessOfThatName();
    void closeProgramOperandIsOnlyAName_data();
    void closeProgramOperandIsOnlyAName();
    void displayOffSendsTheMonitorPowerCommand();
    void displayOffWithoutAWindowSendsNothing();
    void logOffIsForcedAfterTheVersionQuery_data();
    void logOffIsForcedAfterTheVersionQuery();
    void everyNetworkConnectionIsDisconnected_data();
    void everyNetworkConnectionIsDisconnected();
    void missingConnectionManagerDisconnectsNothing();
    void fileOpensInNotepadUnquoted();
    void programStartsWithoutAShell();

private:
    // An executor whose interpreter is the real one, launching through the shell and recording
    // what it launched; every other facility is a fake.
    ActionExecutor executorWithInterpreter();
    QStringList standInLines() const;
    // A copy of the stand-in under another name, started and left waiting.
    QProcess *startCopy(const QString &relativePath);

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;
    ActionLog log;
    QList<LaunchRecord> launches;
    QList<QProcess *> started;
    QString logPath;
};

void TestWindowsActions::initTestCase()
{
    previousHandler = qInstallMessageHandler(collectWarnings);
    const QString folder = QDir::toNativeSeparators(standInFolder());
    setVariable("PATH", folder + ";" + qEnvironmentVariable("PATH"));
    // Before any power text runs: the interpreter finds the stand-ins, never the system's tools.
    QProcess probe;
    probe.setProgram("cmd.exe");
    probe.setNativeArguments("/c for %i in (shutdown.exe rundll32.exe) do @echo %~$PATH:i");
    probe.start();
    QVERIFY(probe.waitForFinished(30000));
    const QStringList found = QString::fromLocal8Bit(probe.readAllStandardOutput()).split("\r\n", Qt::SkipEmptyParts);
    const QStringList expected{folder + "\\shutdown.exe", folder + "\\rundll32.exe"};
    QVERIFY2(found.size() == 2 && found.at(0).compare(expected.at(0), Qt::CaseInsensitive) == 0
                 && found.at(1).compare(expected.at(1), Qt::CaseInsensitive) == 0,
             qPrintable(found.join(" / ")));
}

void TestWindowsActions::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestWindowsActions::init()
{
    scratch = std::make_unique<ScratchDirectory>();
    connection = std::make_unique<Connection>(nullptr);
    QVERIFY(connection->createTables());
    log.calls.clear();
    launches.clear();
    logPath = QDir::toNativeSeparators(scratch->filePath("stand-in.log"));
    setVariable("TICKVALE_STAND_IN_LOG", logPath);
    setVariable("TICKVALE_STAND_IN_SLEEP_MS", QString());
    QMutexLocker locker(&warningsLock);
    warnings.clear();
}

void TestWindowsActions::cleanup()
{
    for (QProcess *process : qAsConst(started)) {
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
    started.clear();
    connection.reset();
    // Wine lets go of a folder a finished process worked in a moment after the process ends.
    QTest::qWait(300);
    scratch.reset();
}

ActionExecutor TestWindowsActions::executorWithInterpreter()
{
    ActionServices services = fakeActionServices(&log);
    services.interpreter = std::make_shared<HiddenCommandInterpreter>([this](SHELLEXECUTEINFOW *info) {
        LaunchRecord record;
        record.size = info->cbSize;
        record.mask = info->fMask;
        record.window = info->hwnd != nullptr;
        record.verb = info->lpVerb != nullptr;
        record.file = QString::fromWCharArray(info->lpFile);
        record.parameters = QString::fromWCharArray(info->lpParameters);
        record.directory = info->lpDirectory != nullptr;
        record.show = info->nShow;
        launches << record;
        return ShellExecuteExW(info);
    });
    return ActionExecutor(connection.get(), services);
}

QStringList TestWindowsActions::standInLines() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QProcess *TestWindowsActions::startCopy(const QString &relativePath)
{
    const QString copy = scratch->filePath(relativePath);
    QDir().mkpath(QFileInfo(copy).path());
    if (!QFile::copy(standInFolder() + "/shutdown.exe", copy))
        return nullptr;
    auto *process = new QProcess;
    started << process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TICKVALE_STAND_IN_LOG", scratch->filePath("copies.log"));
    environment.insert("TICKVALE_STAND_IN_SLEEP_MS", "60000");
    process->setProcessEnvironment(environment);
    process->start(copy, QStringList());
    return process->waitForStarted(10000) ? process : nullptr;
}

void TestWindowsActions::catalogueTextsReachTheStandIns_data()
{
    QTest::addColumn<int>("orderId");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("standInLine");
    QTest::newRow("关机") << 0 << "shutdown -s -f"
                          << "shutdown.exe|shutdown -s -f";
    QTest::newRow("重启, its blank kept") << 1 << "shutdown -r "
                                          << "shutdown.exe|shutdown -r ";
    QTest::newRow("系统锁定") << 3 << "rundll32.exe user32.dll LockWorkStation"
                              << "rundll32.exe|rundll32.exe user32.dll LockWorkStation";
    QTest::newRow("电脑睡眠") << 4 << "shutdown -h"
                              << "shutdown.exe|shutdown -h";
    QTest::newRow("电脑待机") << 6 << "rundll32 powrprof.dll,SetSuspendState"
                              << "rundll32.exe|rundll32 powrprof.dll,SetSuspendState";
}

void TestWindowsActions::catalogueTextsReachTheStandIns()
{
    QFETCH(int, orderId);
    QFETCH(QString, expectedText);
    QFETCH(QString, standInLine);
    const QString command =
        connection->selectOrder({{Column::Id, QString::number(orderId)}}).value(0).value(Column::OrderCommand);
    QCOMPARE(command, expectedText);

    executorWithInterpreter().executeCommand(command, orderId);

    QCOMPARE(launches.size(), 1);
    const LaunchRecord &launch = launches.first();
    QCOMPARE(launch.file, QString("cmd.exe"));
    QCOMPARE(launch.parameters, "cmd.exe /c " + expectedText);
    QCOMPARE(launch.mask, ULONG(SEE_MASK_NOCLOSEPROCESS));
    QCOMPARE(launch.show, SW_HIDE);
    QCOMPARE(launch.size, DWORD(sizeof(SHELLEXECUTEINFOW)));
    QVERIFY(!launch.window && !launch.verb && !launch.directory);
    QTRY_COMPARE_WITH_TIMEOUT(standInLines(), QStringList{standInLine}, 20000);
    QTest::qWait(500);
    QCOMPARE(standInLines(), QStringList{standInLine});
    QVERIFY(log.calls.isEmpty());
}

void TestWindowsActions::windowKeepsWorkingWhileTheCommandRuns()
{
    setVariable("TICKVALE_STAND_IN_SLEEP_MS", "5000");
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(100);
    QElapsedTimer clock;
    clock.start();
    executorWithInterpreter().executeCommand("shutdown -s -f", 0);
    const qint64 returnedAfter = clock.elapsed();
    QVERIFY2(returnedAfter < 3000, qPrintable(QString::number(returnedAfter)));
    QTRY_COMPARE_WITH_TIMEOUT(standInLines().size(), 1, 20000);
    const int ticksBefore = ticks;
    QTest::qWait(2500);
    // The stand-in is still asleep, and the window's timers went on meanwhile.
    QVERIFY(!SnapshotProcessTerminator::processesNamed("shutdown.exe").isEmpty());
    QVERIFY2(ticks - ticksBefore >= 10, qPrintable(QString::number(ticks - ticksBefore)));
    QTRY_VERIFY_WITH_TIMEOUT(SnapshotProcessTerminator::processesNamed("shutdown.exe").isEmpty(), 15000);
    QVERIFY(!warned("Command ended"));
}

void TestWindowsActions::failedCommandsAreLogged()
{
    HiddenCommandInterpreter ended;
    ended.run("exit 7");
    QTRY_VERIFY_WITH_TIMEOUT(warned("Command ended with 7 : \"exit 7\""), 20000);

    HiddenCommandInterpreter refused([](SHELLEXECUTEINFOW *) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    });
    refused.run("shutdown -s -f");
    QVERIFY(warned("The command interpreter did not start for \"shutdown -s -f\" - error 2"));
    QTest::qWait(500);
    QVERIFY(standInLines().isEmpty());
}

void TestWindowsActions::closeProgramEndsEveryProcessOfThatName()
{
    QProcess *named = startCopy("odd name &x.exe");
    QProcess *otherCase = startCopy("upper/ODD NAME &X.EXE");
    QProcess *containing = startCopy("my odd name &x.exe.exe");
    QProcess *prefixed = startCopy("xodd name &x.exe");
    QVERIFY(named && otherCase && containing && prefixed);

    ActionServices services = fakeActionServices(&log);
    services.terminator = std::make_shared<SnapshotProcessTerminator>();
    ActionExecutor executor(connection.get(), services);
    executor.executeOrder({{"orderId", "10"},
                           {"commandStr", "wmic process where name=\"%1\" delete"},
                           {"appPositionStr", "C:/Program Files/odd name &x.exe"}});

    QVERIFY(named->waitForFinished(10000));
    QVERIFY(otherCase->waitForFinished(10000));
    QVERIFY(!containing->waitForFinished(1500));
    QCOMPARE(prefixed->state(), QProcess::Running);
    QVERIFY(SnapshotProcessTerminator::processesNamed("odd name &x.exe").isEmpty());
}

void TestWindowsActions::closeProgramOperandIsOnlyAName_data()
{
    QTest::addColumn<QString>("operand");
    QTest::newRow("quotes and &") << "odd name &x.exe\" & echo ran> ran.txt & \"";
    QTest::newRow("pipe") << "odd name &x.exe | echo ran> ran.txt";
    QTest::newRow("caret") << "odd name ^&x.exe & echo ran> ran.txt";
    QTest::newRow("percent") << "%COMSPEC% /c echo ran> ran.txt";
    QTest::newRow("wmic's quote closed") << "x.exe\" or name like \"%";
}

void TestWindowsActions::closeProgramOperandIsOnlyAName()
{
    QFETCH(QString, operand);
    QProcess *running = startCopy("odd name &x.exe");
    QVERIFY(running);
    SnapshotProcessTerminator().terminateAll(operand);
    QVERIFY(!running->waitForFinished(1500));
    QVERIFY(!QFile::exists("ran.txt"));
    QVERIFY(!SnapshotProcessTerminator::processesNamed("odd name &x.exe").isEmpty());
}

void TestWindowsActions::displayOffSendsTheMonitorPowerCommand()
{
    HWND fakeWindow = reinterpret_cast<HWND>(quintptr(0x4242));
    QList<QList<quintptr>> sent;
    ActionServices services = fakeActionServices(&log);
    services.display = std::make_shared<SysCommandDisplayPower>(SysCommandDisplayPower::WindowCalls{
        [fakeWindow] { return fakeWindow; },
        [&sent](HWND window, UINT message, WPARAM command, LPARAM value) {
            sent << QList<quintptr>{quintptr(window), message, command, quintptr(value)};
            return true;
        }});
    services.interpreter = std::make_shared<HiddenCommandInterpreter>([this](SHELLEXECUTEINFOW *) {
        launches << LaunchRecord();
        return FALSE;
    });
    ActionExecutor(connection.get(), services).executeCommand("%systemroot%\\system32\\scrnsave.scr /s", 5);
    QCOMPARE(sent, (QList<QList<quintptr>>{{0x4242, 0x0112, 0xF170, 2}}));
    QVERIFY(launches.isEmpty());
}

void TestWindowsActions::displayOffWithoutAWindowSendsNothing()
{
    int sends = 0;
    SysCommandDisplayPower display({[] { return HWND(nullptr); },
                                    [&sends](HWND, UINT, WPARAM, LPARAM) {
                                        ++sends;
                                        return true;
                                    }});
    display.turnOff();
    QCOMPARE(sends, 0);
    QVERIFY(warned("No top-level window"));
}

void TestWindowsActions::logOffIsForcedAfterTheVersionQuery_data()
{
    QTest::addColumn<bool>("versionAnswers");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("version known") << true << QStringList{"version 276", "exit 0x10 reason 0"};
    QTest::newRow("version query fails") << false << QStringList{"version 276"};
}

void TestWindowsActions::logOffIsForcedAfterTheVersionQuery()
{
    QFETCH(bool, versionAnswers);
    QFETCH(QStringList, calls);
    QStringList made;
    ActionServices services = fakeActionServices(&log);
    services.power = std::make_shared<ExitWindowsPowerManager>(
        ExitWindowsPowerManager::SessionCalls{[&made, versionAnswers](OSVERSIONINFOW *version) {
                                                  made << QString("version %1").arg(version->dwOSVersionInfoSize);
                                                  return BOOL(versionAnswers);
                                              },
                                              [&made](UINT flags, DWORD reason) {
                                                  made << QString("exit 0x%1 reason %2").arg(flags, 0, 16).arg(reason);
                                                  return TRUE;
                                              }});
    ActionExecutor(connection.get(), services).executeCommand("logoff", 2);
    QCOMPARE(made, calls);
    QVERIFY(log.calls.isEmpty());
}

void TestWindowsActions::everyNetworkConnectionIsDisconnected_data()
{
    QTest::addColumn<int>("connections");
    QTest::addColumn<bool>("operandRoute");
    QTest::newRow("three, command route") << 3 << false;
    QTest::newRow("two, operand route") << 2 << true;
    QTest::newRow("none") << 0 << false;
}

void TestWindowsActions::everyNetworkConnectionIsDisconnected()
{
    QFETCH(int, connections);
    QFETCH(bool, operandRoute);
    std::vector<std::unique_ptr<FakeConnection>> owned;
    QList<FakeConnection *> listed;
    for (int i = 0; i < connections; ++i) {
        owned.push_back(std::make_unique<FakeConnection>());
        listed << owned.back().get();
    }
    FakeEnumerator enumerator(listed);
    FakeManager manager(&enumerator);
    std::atomic_int made{0};
    ActionServices services = fakeActionServices(&log);
    services.network = std::make_shared<ComNetworkConnections>([&manager, &made](INetConnectionManager **found) {
        ++made;
        manager.AddRef();
        *found = &manager;
        return S_OK;
    });
    ActionExecutor executor(connection.get(), services);
    if (operandRoute)
        executor.executeOrder({{"orderId", "11"}, {"commandStr", "netsh"}, {"appPositionStr", "x"}});
    else
        executor.executeCommand("netsh interface set interface wlan0 disabled", 11);

    // Done on a thread of its own, whose last use of the fakes is the enumerator's release:
    // everything handed out is handed back by then.
    QTRY_COMPARE_WITH_TIMEOUT(enumerator.releases.load(), 1, 10000);
    QCOMPARE(made.load(), 1);
    QCOMPARE(manager.references.load(), 1);
    QCOMPARE(enumerator.references.load(), 1);
    QCOMPARE(manager.askedWith.load(), int(NCME_DEFAULT));
    for (const auto &each : owned) {
        QCOMPARE(each->references.load(), 1);
        QCOMPARE(each->disconnects.load(), 1);
    }
    QVERIFY(log.calls.isEmpty());
}

void TestWindowsActions::missingConnectionManagerDisconnectsNothing()
{
    ComNetworkConnections network([](INetConnectionManager **found) {
        *found = nullptr;
        return REGDB_E_CLASSNOTREG;
    });
    network.disconnectAll();
    QTRY_VERIFY_WITH_TIMEOUT(warned("The network connection manager is not there - result 80040154"), 10000);
}

void TestWindowsActions::fileOpensInNotepadUnquoted()
{
    // Notepad is looked for beside the program first: the suite's stand-in sits there.
    NotepadDesktopLauncher().openFile("C:/Some Folder/a b & c.txt");
    QTRY_COMPARE_WITH_TIMEOUT(standInLines(), QStringList{"notepad.exe|notepad.exe C:/Some Folder/a b & c.txt"}, 20000);
}

void TestWindowsActions::programStartsWithoutAShell()
{
    // Through a shell, the name would also run the power text (which reaches the stand-in).
    const QString program = scratch->filePath("tool & shutdown -s -f.exe");
    QVERIFY(QFile::copy(standInFolder() + "/shutdown.exe", program));
    NotepadDesktopLauncher().startProgram(program);
    QTRY_COMPARE_WITH_TIMEOUT(standInLines().size(), 1, 20000);
    QTest::qWait(1000);
    QCOMPARE(standInLines().size(), 1);
    QVERIFY2(standInLines().first().startsWith("tool & shutdown -s -f.exe|\""), qPrintable(standInLines().first()));
}

QTEST_GUILESS_MAIN(TestWindowsActions)
#include "tst_windows_actions.moc"
