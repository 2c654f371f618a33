#include "ScratchDirectory.h"
#include "TestTimeZone.h"
#include "monitors/Command.h"
#include "platform/PlatformServices.h"
#include "platform/PowerEventSource.h"
#include "platform/windows/RegistryCompatibilityLayer.h"
#include "platform/windows/WevtutilPowerEventSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QtTest>

#include <windows.h>

#include <memory>

namespace {

// The key of this suite's own values, under the current user's hive; removed around each test.
const wchar_t TestKeyParent[] = L"Software\\TickvaleTests";
const wchar_t TestKey[] = L"Software\\TickvaleTests\\Layers";

QStringList debugLines;
QStringList warningLines;
QtMessageHandler previousHandler = nullptr;

void collectMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines << message;
    else if (type == QtWarningMsg)
        warningLines << message;
    previousHandler(type, context, message);
}

struct StoredValue
{
    bool found = false;
    DWORD type = REG_NONE;
    QByteArray bytes;
    DWORD valueCount = 0; // of the whole key
};

StoredValue readValue(const wchar_t *keyPath, const QString &name)
{
    StoredValue stored;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &stored.valueCount, nullptr, nullptr,
                     nullptr, nullptr);
    const std::wstring valueName = name.toStdWString();
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(int(size));
        stored.found = RegQueryValueExW(key, valueName.c_str(), nullptr, &stored.type,
                                        reinterpret_cast<BYTE *>(stored.bytes.data()), &size)
            == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return stored;
}

QByteArray utf16Bytes(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

void removeValue(const wchar_t *keyPath, const QString &name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, name.toStdWString().c_str());
    RegCloseKey(key);
}

// One event as the System log holds it: the moment it compares in queries has a tenth of a
// microsecond, the date text the tool prints has the local time to the millisecond.
struct LogEvent
{
    int id;
    QDateTime utc;

    QString systemTime() const { return utc.toUTC().toString("yyyy-MM-ddTHH:mm:ss.zzz") + "4567Z"; }
    QString dateText() const { return PowerEventSource::dateText(utc); }
    QString row() const
    {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(id == 6005 ? "开机" : "关机", dateText())
            .arg(utc.toSecsSinceEpoch())
            .arg(id == 6005 ? 1 : 0);
    }
};

LogEvent powerOn(const QString &utc)
{
    return {6005, QDateTime::fromString(utc, Qt::ISODateWithMs)};
}

LogEvent powerOff(const QString &utc)
{
    return {6006, QDateTime::fromString(utc, Qt::ISODateWithMs)};
}

void writeLog(const QList<LogEvent> &events, const QStringList &directives = {})
{
    QFile file("wevtutil-events.txt");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    for (const QString &directive : directives)
        file.write(directive.toUtf8() + '\n');
    for (const LogEvent &event : events)
        file.write(QStringLiteral("%1 %2 %3\n").arg(event.id).arg(event.systemTime(), event.dateText()).toUtf8());
}

// What the stand-in was asked, one run a line, its arguments tab-separated.
QStringList toolCalls()
{
    QFile file("wevtutil-calls.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString expectedCall(int id, const QString &cutOff = QString())
{
    const QString condition = cutOff.isEmpty()
        ? QStringLiteral("(EventID = %1)").arg(id)
        : QStringLiteral("(EventID = %1) and TimeCreated[@SystemTime>'%2']").arg(id).arg(cutOff);
    return QStringLiteral("qe\tsystem\t/f:text\t/q:*[System[%1]]").arg(condition);
}

QStringList storedRows()
{
    QStringList rows;
    Connection connection(nullptr);
    QSqlQuery query(QSqlDatabase::database());
    query.exec("select name, operation_time, timestamp, operation_index from system_log order by id");
    while (query.next())
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                         query.value(3).toString());
    return rows;
}

// A week of December in which a power-off falls on the next local day than its UTC day.
const QList<LogEvent> Week = {
    powerOn("2026-12-01T00:30:00.123Z"),  powerOff("2026-12-01T15:45:10.456Z"), powerOn("2026-12-02T01:00:00.789Z"),
    powerOff("2026-12-02T16:59:59.001Z"), powerOn("2026-12-03T00:00:00.500Z"),
};

} // namespace

// The Windows compatibility-layer value and the power history of the System event log. The
// event log is a stand-in wevtutil put in the working directory, where both the command
// interpreter and the process start look before the system's folders; it records every run.
class TestWindowsHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void compatibilityValueIsTheTenCharactersAlone();
    void laterStartsRewriteTheSameValue();
    void programPathIsRecordedUnderTheLayersKey();
    void registryFailuresAreLogged_data();
    void registryFailuresAreLogged();

    void queryLines_data();
    void queryLines();
    void firstGatheringRecordsEveryEventInLocalTime();
    void laterGatheringsAddOnlyNewEvents();
    void failingOrHungToolIsReportedAndEnded_data();
    void failingOrHungToolIsReportedAndEnded();

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

void TestWindowsHistory::initTestCase()
{
    // Eight hours from UTC: a date text read or written in the wrong zone shifts every event.
    useTimeZone("Asia/Shanghai");
    QCOMPARE(QDateTime(QDate(2026, 12, 1), QTime(12, 0)).offsetFromUtc(), 8 * 3600);
    previousHandler = qInstallMessageHandler(collectMessages);
}

void TestWindowsHistory::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestWindowsHistory::init()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyParent);
    scratch = std::make_unique<ScratchDirectory>();
    Connection(nullptr).createTables();
    const QString standIn = QCoreApplication::applicationDirPath() + "/standins/wevtutil.exe";
    QVERIFY2(QFile::copy(standIn, "wevtutil.exe"), qPrintable(standIn));
    debugLines.clear();
    warningLines.clear();
}

void TestWindowsHistory::cleanup()
{
    // A stand-in still running (or still ending) holds its file, and with it the folder.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists("wevtutil.exe") || QFile::remove("wevtutil.exe"), 15000);
    scratch.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyParent);
}

void TestWindowsHistory::compatibilityValueIsTheTenCharactersAlone()
{
    const QString path = QStringLiteral("C:\\Program Files\\Tickvale Pro\\tickvale.exe");
    RegistryCompatibilityLayer(TestKey).setRunAsAdmin(path);
    const StoredValue stored = readValue(TestKey, path);
    QVERIFY(stored.found);
    QCOMPARE(stored.type, DWORD(REG_SZ));
    QCOMPARE(stored.bytes.size(), 20);
    QCOMPARE(stored.bytes, utf16Bytes("RUNASADMIN"));
    QCOMPARE(debugLines, QStringList{"注册表写入成功!"});
    QVERIFY(warningLines.isEmpty());
}

void TestWindowsHistory::laterStartsRewriteTheSameValue()
{
    const QString path = QStringLiteral("D:\\Tools\\tickvale.exe");
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
             LSTATUS(ERROR_SUCCESS));
    const wchar_t earlier[] = L"~ WIN7RTM";
    RegSetValueExW(key, path.toStdWString().c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(earlier),
                   sizeof earlier);
    RegCloseKey(key);

    RegistryCompatibilityLayer(TestKey).setRunAsAdmin(path);
    RegistryCompatibilityLayer(TestKey).setRunAsAdmin(path);
    const StoredValue stored = readValue(TestKey, path);
    QCOMPARE(stored.valueCount, DWORD(1));
    QCOMPARE(stored.bytes, utf16Bytes("RUNASADMIN"));
    QCOMPARE(debugLines.size(), 2);
}

void TestWindowsHistory::programPathIsRecordedUnderTheLayersKey()
{
    // The log tab's call: the program's own path with backslashes. This suite runs in a Wine
    // prefix of its own, so the user's real key is this prefix's.
    const QString path = QCoreApplication::applicationFilePath().replace('/', '\\');
    QVERIFY(path.contains('\\') && !path.contains('/'));
    Command(nullptr).setRunAsAdmin(path);
    const StoredValue stored = readValue(RegistryCompatibilityLayer::LayersKey, path);
    removeValue(RegistryCompatibilityLayer::LayersKey, path);
    QVERIFY(stored.found);
    QCOMPARE(stored.type, DWORD(REG_SZ));
    QCOMPARE(stored.bytes, utf16Bytes("RUNASADMIN"));
    QCOMPARE(QString::fromWCharArray(RegistryCompatibilityLayer::LayersKey),
             QString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"));
}

void TestWindowsHistory::registryFailuresAreLogged_data()
{
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("warning");
    const QString key = QString::fromWCharArray(TestKey);
    QTest::newRow("key cannot be made") << key + "\\" + QString(300, 'k') << "C:\\tickvale.exe"
                                        << "The compatibility key HKEY_CURRENT_USER\\" + key;
    QTest::newRow("value cannot be written") << key << "C:\\" + QString(20000, 'v') + ".exe"
                                             << "The compatibility value for C:\\vvv";
}

void TestWindowsHistory::registryFailuresAreLogged()
{
    QFETCH(QString, keyPath);
    QFETCH(QString, valueName);
    QFETCH(QString, warning);
    const std::wstring path = keyPath.toStdWString();
    RegistryCompatibilityLayer(path.c_str()).setRunAsAdmin(valueName);
    QCOMPARE(warningLines.size(), 1);
    QVERIFY2(warningLines.first().startsWith(warning), qPrintable(warningLines.first().left(200)));
    QVERIFY(debugLines.isEmpty());
}

void TestWindowsHistory::queryLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("cutOff");
    QTest::addColumn<QString>("line");
    const QDateTime localEvening(QDate(2026, 12, 7), QTime(18, 0, 0, 123));
    QTest::newRow("power-on, everything")
        << int(PowerEventSource::PowerOn) << QDateTime()
        << R"(cmd.exe /c wevtutil qe system /f:text /q:"*[System[(EventID = 6005)]]")";
    QTest::newRow("power-on, after a cut-off")
        << int(PowerEventSource::PowerOn) << localEvening
        << R"(cmd.exe /c wevtutil qe system /f:text /q:"*[System[(EventID = 6005) and TimeCreated[@SystemTime>'2026-12-07T10:00:00.1230000Z']]]")";
    QTest::newRow("power-off, everything") << int(PowerEventSource::PowerOff) << QDateTime()
                                           << R"(wevtutil qe system /f:text /q:"*[System[(EventID = 6006)]]")";
    QTest::newRow("power-off, after a cut-off on the local day after")
        << int(PowerEventSource::PowerOff) << QDateTime(QDate(2026, 12, 8), QTime(7, 59, 59, 9))
        << R"(wevtutil qe system /f:text /q:"*[System[(EventID = 6006) and TimeCreated[@SystemTime>'2026-12-07T23:59:59.0090000Z']]]")";
}

void TestWindowsHistory::queryLines()
{
    QFETCH(int, kind);
    QFETCH(QDateTime, cutOff);
    QFETCH(QString, line);
    QCOMPARE(PlatformServices::powerEventSource()->commandLine(PowerEventSource::Kind(kind), cutOff), line);
}

void TestWindowsHistory::firstGatheringRecordsEveryEventInLocalTime()
{
    writeLog(Week);
    Command(nullptr).collectPowerEvents();
    QCOMPARE(toolCalls(), QStringList({expectedCall(6005), expectedCall(6006)}));
    const QStringList expected = {Week.at(4).row(), Week.at(3).row(), Week.at(2).row(), Week.at(1).row(),
                                  Week.at(0).row()};
    QCOMPARE(storedRows(), expected);
    // Written in the zone of the computer, counted from the epoch in UTC.
    QCOMPARE(storedRows().at(1), QString("关机 2026-12-03T00:59:59.0010000Z 1796230799 0"));
    QVERIFY2(warningLines.isEmpty(), qPrintable(warningLines.join('\n')));
}

void TestWindowsHistory::laterGatheringsAddOnlyNewEvents()
{
    writeLog(Week);
    Command(nullptr).collectPowerEvents();
    Command(nullptr).collectPowerEvents();
    QCOMPARE(storedRows().size(), 5);
    // The newest of each kind, handed back in UTC; the log's own moments are a little later
    // than the text, so the tool lists those two again and they are dropped.
    QCOMPARE(toolCalls().mid(2),
             QStringList({expectedCall(6005, "2026-12-03T00:00:00.5000000Z"),
                          expectedCall(6006, "2026-12-02T16:59:59.0010000Z")}));

    const LogEvent later = powerOff("2026-12-03T09:15:00.250Z");
    writeLog(Week + QList<LogEvent>{later});
    Command(nullptr).collectPowerEvents();
    const QStringList rows = storedRows();
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.last(), later.row());
    Command(nullptr).collectPowerEvents();
    QCOMPARE(storedRows().size(), 6);
    QCOMPARE(toolCalls().size(), 8);
    QCOMPARE(toolCalls().last(), expectedCall(6006, "2026-12-03T09:15:00.2500000Z"));
}

void TestWindowsHistory::failingOrHungToolIsReportedAndEnded_data()
{
    QTest::addColumn<QString>("directive");
    QTest::addColumn<QString>("warning");
    QTest::newRow("ends with a failure") << "exit 5"
                                         << "ended with status 5";
    QTest::newRow("hangs") << "hang 6"
                           << "did not finish within 1 s";
}

void TestWindowsHistory::failingOrHungToolIsReportedAndEnded()
{
    QFETCH(QString, directive);
    QFETCH(QString, warning);
    writeLog(Week, {directive});
    Command command(nullptr);
    command.setToolTimeout(1000);
    QElapsedTimer clock;
    clock.start();
    command.collectPowerEvents();
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(storedRows().isEmpty());
    QCOMPARE(toolCalls().size(), 2);
    // Both routes, through the command interpreter and straight, say why.
    const QStringList reasons = warningLines.filter("The power history cannot come from the System event log");
    QCOMPARE(reasons.size(), 2);
    QVERIFY2(reasons.at(1).contains(warning), qPrintable(reasons.join('\n')));
    QCOMPARE(warningLines.filter(QRegularExpression("^No power-on or power-off is stored this time")).size(), 1);
}

QTEST_GUILESS_MAIN(TestWindowsHistory)
#include "tst_windows_history.moc"
