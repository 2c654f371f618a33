#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "TestTimeZone.h"
#include "monitors/Command.h"
#include "platform/PlatformServices.h"
#include "platform/PowerEventSource.h"
#include "platform/windows/RegistryCompatibilityLayer.h"
#include "platform/windows/WevtutilPowerEventSource.h"

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

// A stored value as "type, byte count: text (values in its key)".
QString storedValue(const wchar_t *keyPath, const QString &name)
{
    HKEY key = nullptr;
    DWORD values = 0, type = REG_NONE, size = 256;
    wchar_t text[128] = {};
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "no key";
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    const LSTATUS status = RegQueryValueExW(key, name.toStdWString().c_str(), nullptr, &type, LPBYTE(text), &size);
    RegCloseKey(key);
    const QString stored = QString::fromWCharArray(text, int(size / 2));
    return status ? "no value"
                  : QString("type %1, %2 bytes: %3 (%4 in the key)").arg(type).arg(size).arg(stored).arg(values);
}

// A System log event: queries compare its moment to 0.1 µs, the tool prints its local time to the ms.
struct LogEvent
{
    int id;
    const char *utcText;
    QDateTime utc() const { return QDateTime::fromString(utcText, Qt::ISODateWithMs); }

    QString row() const
    {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(id == 6005 ? "开机" : "关机", PowerEventSource::dateText(utc()))
            .arg(utc().toSecsSinceEpoch())
            .arg(id == 6005 ? 1 : 0);
    }
};

void writeLog(const QList<LogEvent> &events, const QString &directive = QString())
{
    QFile file("wevtutil-events.txt");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(directive.toUtf8() + '\n');
    for (const LogEvent &event : events) {
        const QString systemTime = event.utc().toUTC().toString("yyyy-MM-ddTHH:mm:ss.zzz") + "4567Z";
        file.write(
            QString("%1 %2 %3\n").arg(event.id).arg(systemTime, PowerEventSource::dateText(event.utc())).toUtf8());
    }
}

QStringList toolCalls()
{
    QFile file("wevtutil-calls.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString expectedCall(int id, const QString &cutOff = QString())
{
    const QString after = cutOff.isEmpty() ? "" : " and TimeCreated[@SystemTime>'" + cutOff + "']";
    return QString("qe\tsystem\t/f:text\t/q:*[System[(EventID = %1)%2]]").arg(id).arg(after);
}

QStringList storedRows()
{
    return queryColumn("select name || ' ' || operation_time || ' ' || timestamp || ' ' || operation_index "
                       "from system_log order by id");
}

// A week of December in which a power-off falls on the next local day than its UTC day.
const QList<LogEvent> Week = {
    {6005, "2026-12-01T00:30:00.123Z"}, {6006, "2026-12-01T15:45:10.456Z"}, {6005, "2026-12-02T01:00:00.789Z"},
    {6006, "2026-12-02T16:59:59.001Z"}, {6005, "2026-12-03T00:00:00.500Z"},
};

} // namespace

// The compatibility-layer value and the System log's power history, read through a stand-in wevtutil
// in the working directory (found there before the system's folders), which records every run.
class TestWindowsHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchDirectory> scratch;
    std::unique_ptr<Connection> connection;

private slots:
    void initTestCase()
    {
        // Eight hours from UTC: a date text read or written in the wrong zone shifts every event.
        useTimeZone("Asia/Shanghai");
        QCOMPARE(QDateTime(QDate(2026, 12, 1), QTime(12, 0)).offsetFromUtc(), 8 * 3600);
        previousHandler = qInstallMessageHandler(collectMessages);
    }

    void init()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyParent);
        scratch = std::make_unique<ScratchDirectory>();
        connection = std::make_unique<Connection>(nullptr);
        connection->createTables();
        const QString standIn = QCoreApplication::applicationDirPath() + "/standins/wevtutil.exe";
        QVERIFY2(QFile::copy(standIn, "wevtutil.exe"), qPrintable(standIn));
        debugLines.clear();
        warningLines.clear();
    }

    void cleanup()
    {
        // A stand-in still running (or still ending) holds its file, and with it the folder.
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists("wevtutil.exe") || QFile::remove("wevtutil.exe"), 15000);
        connection.reset();
        scratch.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKeyParent);
    }

    void compatibilityValueIsTheTenCharactersAloneAndFailuresAreSaid()
    {
        // An earlier start's value (another text) is rewritten in place, at every start.
        const QString path = QStringLiteral("C:\\Program Files\\Tickvale Pro\\tickvale.exe");
        const wchar_t earlier[] = L"~ WIN7RTM";
        RegSetKeyValueW(HKEY_CURRENT_USER, TestKey, path.toStdWString().c_str(), REG_SZ, earlier, sizeof earlier);
        RegistryCompatibilityLayer(TestKey).setRunAsAdmin(path);
        RegistryCompatibilityLayer(TestKey).setRunAsAdmin(path);
        QCOMPARE(storedValue(TestKey, path), QString("type 1, 20 bytes: RUNASADMIN (1 in the key)"));
        QCOMPARE(debugLines, QStringList({"注册表写入成功!", "注册表写入成功!"}));
        QVERIFY(warningLines.isEmpty());

        // A key that cannot be made and a value that cannot be written are said, and nothing else.
        const QString key = QString::fromWCharArray(TestKey);
        RegistryCompatibilityLayer((key + "\\" + QString(300, 'k')).toStdWString().c_str()).setRunAsAdmin(path);
        RegistryCompatibilityLayer(TestKey).setRunAsAdmin("C:\\" + QString(20000, 'v') + ".exe");
        QCOMPARE(QList<int>({warningLines.size(), debugLines.size()}), QList<int>({2, 2}));
        QVERIFY2(warningLines.at(0).startsWith("The compatibility key HKEY_CURRENT_USER\\" + key + "\\kkk")
                     && warningLines.at(1).startsWith("The compatibility value for C:\\vvv"),
                 qPrintable(warningLines.join('\n').left(400)));

        // The log tab's call: the program's path with backslashes, under the user's real key (own prefix).
        QCOMPARE(QString::fromWCharArray(RegistryCompatibilityLayer::LayersKey),
                 QString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"));
        const QString program = QCoreApplication::applicationFilePath().replace('/', '\\');
        Command(nullptr).setRunAsAdmin(program);
        const QString stored = storedValue(RegistryCompatibilityLayer::LayersKey, program);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RegistryCompatibilityLayer::LayersKey, program.toStdWString().c_str());
        QVERIFY2(stored.startsWith("type 1, 20 bytes: RUNASADMIN ("), qPrintable(stored));
    }

    void queryLines()
    {
        // Power-on goes through the interpreter, power-off not; the second cut-off is a local day later.
        using Source = PowerEventSource;
        const struct
        {
            Source::Kind kind;
            QDateTime cutOff;
            QString line;
        } rows[] = {
            {Source::PowerOn, {}, R"(cmd.exe /c wevtutil qe system /f:text /q:"*[System[(EventID = 6005)]]")"},
            {Source::PowerOn, QDateTime(QDate(2026, 12, 7), QTime(18, 0, 0, 123)),
             R"(cmd.exe /c wevtutil qe system /f:text /q:"*[System[(EventID = 6005) and TimeCreated[@SystemTime>'2026-12-07T10:00:00.1230000Z']]]")"},
            {Source::PowerOff, {}, R"(wevtutil qe system /f:text /q:"*[System[(EventID = 6006)]]")"},
            {Source::PowerOff, QDateTime(QDate(2026, 12, 8), QTime(7, 59, 59, 9)),
             R"(wevtutil qe system /f:text /q:"*[System[(EventID = 6006) and TimeCreated[@SystemTime>'2026-12-07T23:59:59.0090000Z']]]")"},
        };
        for (const auto &row : rows)
            QCOMPARE(PlatformServices::powerEventSource()->commandLine(row.kind, row.cutOff), row.line);
    }

    void gatheringsRecordEveryEventOnceInLocalTime()
    {
        writeLog(Week);
        Command(nullptr).collectPowerEvents();
        QCOMPARE(toolCalls(), QStringList({expectedCall(6005), expectedCall(6006)}));
        QCOMPARE(
            storedRows(),
            QStringList({Week.at(4).row(), Week.at(3).row(), Week.at(2).row(), Week.at(1).row(), Week.at(0).row()}));
        // Written in the zone of the computer, counted from the epoch in UTC.
        QCOMPARE(storedRows().at(1), QString("关机 2026-12-03T00:59:59.0010000Z 1796230799 0"));
        QVERIFY2(warningLines.isEmpty(), qPrintable(warningLines.join('\n')));

        // The newest of each kind in UTC; the log's moments are later than the text, so those two are dropped.
        Command(nullptr).collectPowerEvents();
        QCOMPARE(storedRows().size(), 5);
        QCOMPARE(toolCalls().mid(2),
                 QStringList({expectedCall(6005, "2026-12-03T00:00:00.5000000Z"),
                              expectedCall(6006, "2026-12-02T16:59:59.0010000Z")}));
        const LogEvent later{6006, "2026-12-03T09:15:00.250Z"};
        writeLog(Week + QList<LogEvent>{later});
        Command(nullptr).collectPowerEvents();
        Command(nullptr).collectPowerEvents();
        QCOMPARE(storedRows().mid(5), QStringList{later.row()});
        QCOMPARE(toolCalls().mid(7), QStringList{expectedCall(6006, "2026-12-03T09:15:00.2500000Z")});
    }

    void failingOrHungToolIsReportedAndEnded_data()
    {
        QTest::addColumn<QStringList>("directiveAndWarning");
        QTest::newRow("ends with a failure") << QStringList{"exit 5", "ended with status 5"};
        QTest::newRow("hangs") << QStringList{"hang 6", "did not finish within 1 s"};
    }

    void failingOrHungToolIsReportedAndEnded()
    {
        QFETCH(QStringList, directiveAndWarning);
        writeLog(Week, directiveAndWarning.at(0));
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
        QVERIFY2(reasons.at(1).contains(directiveAndWarning.at(1)), qPrintable(reasons.join('\n')));
        QCOMPARE(warningLines.filter(QRegularExpression("^No power-on or power-off is stored this time")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestWindowsHistory)
#include "tst_windows_history.moc"
