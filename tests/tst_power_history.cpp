#include "QueryColumn.h"
#include "ScratchDirectory.h"
#include "TestTimeZone.h"
#include "monitors/Command.h"
#include "monitors/EventLogText.h"

#include <QSignalSpy>
#include <QtEndian>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <memory>
#include <tuple>

#ifdef Q_OS_LINUX
#include "platform/linux/JournalPowerEventSource.h"
#include "platform/linux/LoginRecordPowerEventSource.h"
#endif

using EventRecord = PowerEventSource::EventRecord;

namespace {

// The cache file is written in text mode: its lines end the way the system ends lines.
const QString LineEnd = QSysInfo::kernelType() == "winnt" ? "\r\n" : "\n";

// The helper tool with these arguments: it prints the first, then sleeps for the second's seconds.
QString hungTool(const QString &arguments)
{
    return "\"" + QCoreApplication::applicationDirPath() + "/hung_tool\" " + arguments;
}

// Events handed out by a test, after a tool that by default succeeds at once on any system.
class CannedSource : public PowerEventSource
{
public:
    explicit CannedSource(const QString &command = hungTool("canned 0"))
        : line(command)
    { }
    QList<EventRecord> powerOns;
    QList<EventRecord> powerOffs;

    QString commandLine(Kind, const QDateTime &) const override { return line; }
    QList<EventRecord> events(const QByteArray &, Kind kind, const QDateTime &) const override
    {
        return kind == PowerOn ? powerOns : powerOffs;
    }

private:
    QString line;
};

#ifdef Q_OS_LINUX
// 2026-11-01 08:00:00 UTC plus some hours, with microseconds that do not round to milliseconds.
const auto moment = [](int hours) { return (Q_INT64_C(1793520000) + hours * 3600) * 1000000 + 123456; };

const QString JournalRemote = QStringLiteral("/lib/systemd/systemd-journal-remote");

// Writes a journal file holding these boots, three entries each, as a real journal would. A boot
// is its number, which makes its id, and the hours of its first and last entries.
bool writeJournal(const QString &path, const QList<QVector<int>> &boots)
{
    QByteArray exportText;
    for (const QVector<int> &boot : boots) {
        const qint64 first = moment(boot.at(1));
        const QList<qint64> moments = {first, (first + moment(boot.at(2))) / 2, moment(boot.at(2))};
        for (int i = 0; i < moments.size(); ++i)
            exportText += QStringLiteral("__REALTIME_TIMESTAMP=%1\n__MONOTONIC_TIMESTAMP=%2\n_BOOT_ID=%3\n"
                                         "MESSAGE=entry %4\n_HOSTNAME=testhost\n\n")
                              .arg(moments.at(i))
                              .arg(moments.at(i) - first + 1)
                              .arg(QString(32, QChar('0' + boot.at(0))))
                              .arg(i)
                              .toUtf8();
    }
    QFile file(path + ".export");
    if (!file.open(QIODevice::WriteOnly) || file.write(exportText) != exportText.size())
        return false;
    file.close();
    return QProcess::execute(JournalRemote, {"-o", path, file.fileName()}) == 0;
}

// Names the boot that is running now, as /proc/sys/kernel/random/boot_id does.
bool writeRunningBoot(const QByteArray &id)
{
    QFile running("boot_id");
    return running.open(QIODevice::WriteOnly | QIODevice::Truncate) && running.write(id + "\n") > 0;
}

// Login records as the system keeps them in /var/log/wtmp: reboot and shutdown entries among
// a user's log-in and log-out.
bool writeLoginRecords(const QString &path, const QList<QPair<QByteArray, int>> &entries)
{
    QByteArray records;
    for (const auto &entry : entries) {
        const QByteArray user = entry.first;
        // struct utmp of 384 bytes: type, pid, line, id, user, host, exit, session, time.
        unsigned char record[384] = {};
        const qint16 type = user == "reboot" ? 2 : user == "shutdown" ? 1 : 7; // BOOT_TIME, RUN_LVL, USER_PROCESS
        qToLittleEndian<qint16>(type, record);
        const QByteArray line = type == 7 ? "tty2" : "~";
        std::copy(line.cbegin(), line.cend(), record + 8);
        std::copy(user.cbegin(), user.cend(), record + 44);
        const QByteArray host("6.1.0-test");
        std::copy(host.cbegin(), host.cend(), record + 76);
        qToLittleEndian<qint32>(qint32(moment(entry.second) / 1000000), record + 340);
        records += QByteArray(reinterpret_cast<const char *>(record), sizeof record);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(records) == records.size();
}

// One row as storedRows() gives it: name, date text, whole seconds and the power-on flag.
QString storedRow(const QString &name, const QString &date, int hours)
{
    return QStringLiteral("%1 %2 %3 %4").arg(name, date).arg(moment(hours) / 1000000).arg(name == "开机" ? 1 : 0);
}
#endif

// Events a source hands out, the cache file before (empty: none yet), the rows then stored (name and time, newest
// first) and the cache file after.
using Canned = std::tuple<QStringList, QStringList, QString, QStringList, QString>;

const auto powerEvent = [](const QString &dateText) { return EventRecord{{"datetime", dateText}}; };

QStringList storedRows()
{
    Connection connection(nullptr);
    return queryColumn("select name || ' ' || operation_time || ' ' || timestamp || ' ' || operation_index "
                       "from system_log order by id");
}

} // namespace

Q_DECLARE_METATYPE(Canned)

class TestPowerHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone eight hours from UTC: a text read in the wrong zone would shift every event.
        useTimeZone("Asia/Shanghai");
        QCOMPARE(QDateTime(QDate(2026, 11, 1), QTime(12, 0)).offsetFromUtc(), 8 * 3600);
    }

    // Each directory goes before the next is made.
    void init() { scratch.reset(), scratch = std::make_unique<ScratchDirectory>(), Connection(nullptr).createTables(); }

#ifdef Q_OS_LINUX // where the system journal and the login records keep the power history
    void journalBootsAreStoredOnceEach()
    {
        if (!QFile::exists(JournalRemote))
            QSKIP("systemd-journal-remote is needed (scripts/test.sh installs it)");
        QVERIFY(QDir().mkdir("journal"));
        QVERIFY(writeJournal("journal/system.journal", {{1, 0, 5}, {2, 24, 30}, {3, 48, 49}}));
        // The running boot has not ended yet: it brings its power-on only.
        QVERIFY(writeRunningBoot("33333333-3333-3333-3333-333333333333"));
        auto source = std::make_shared<JournalPowerEventSource>(scratch->filePath("journal"),
                                                                scratch->filePath("boot_id"));
        Command(nullptr, source).collectPowerEvents();
        QStringList expected = {storedRow("开机", "2026-11-03T16:00:00.1230000Z", 48),
                                storedRow("关机", "2026-11-02T22:00:00.1230000Z", 30),
                                storedRow("开机", "2026-11-02T16:00:00.1230000Z", 24),
                                storedRow("关机", "2026-11-01T21:00:00.1230000Z", 5),
                                storedRow("开机", "2026-11-01T16:00:00.1230000Z", 0)};
        QCOMPARE(storedRows(), expected);
        Command(nullptr, source).collectPowerEvents();
        QCOMPARE(storedRows(), expected);

        // Boot 3 ends; boot 4 is now running (in a second file of the system's journal).
        QVERIFY(writeJournal("journal/system@later.journal", {{4, 72, 73}}));
        QVERIFY(writeRunningBoot("44444444444444444444444444444444"));
        Command(nullptr, source).collectPowerEvents();
        Command(nullptr, source).collectPowerEvents();
        expected << storedRow("开机", "2026-11-04T16:00:00.1230000Z", 72)
                 << storedRow("关机", "2026-11-03T17:00:00.1230000Z", 49);
        QCOMPARE(storedRows(), expected);
    }

    void loginRecordsWhenTheJournalCannotBeRead_data()
    {
        QTest::addColumn<QString>("why");  // the row's name says what the journal is
        QTest::addColumn<QString>("tool"); // in place of journalctl; none: the scratch folder's journal
        QTest::newRow("missing") << QString("journalctl ended with status 1: Failed to open") << QString();
        // A user outside the journal's groups sees only their own journal: its boots begin at a
        // log-in and end at a log-out.
        QTest::newRow("user's own") << QString("it lists no boots") << QString();
        QTest::newRow("no tool") << QString("cannot be run") << QString("no-such-journal-tool --list-boots");
        QTest::newRow("hung tool") << QString("did not finish within") << QString("sleep 30");
        QTest::newRow("missing, no login records either") << QString("journalctl ended with status 1") << QString();
    }

    void loginRecordsWhenTheJournalCannotBeRead()
    {
        const QString journal = QTest::currentDataTag();
        QFETCH(QString, why);
        QFETCH(QString, tool);
        if (journal == "user's own") {
            if (!QFile::exists(JournalRemote))
                QSKIP("systemd-journal-remote is needed (scripts/test.sh installs it)");
            QVERIFY(QDir().mkdir("journal"));
            QVERIFY(writeJournal("journal/user-1000.journal", {{1, 1, 4}, {2, 25, 26}}));
        }
        std::shared_ptr<PowerEventSource> first = std::make_shared<CannedSource>(tool);
        if (tool.isEmpty())
            first = std::make_shared<JournalPowerEventSource>(scratch->filePath("journal"),
                                                              scratch->filePath("boot_id"));
        const bool wtmp = !journal.endsWith("either");
        if (wtmp)
            QVERIFY(writeLoginRecords("wtmp",
                                      {{"reboot", 0}, {"alice", 1}, {"shutdown", 5}, {"reboot", 24}, {"alice", 25}}));
        first->setFallback(std::make_shared<LoginRecordPowerEventSource>(scratch->filePath("wtmp")));
        Command command(nullptr, first);
        command.setToolTimeout(500);
        const QRegularExpression warning("cannot come from .*" + QRegularExpression::escape(why));
        const QStringList expected = {storedRow("开机", "2026-11-02T16:00:00.0000000Z", 24),
                                      storedRow("关机", "2026-11-01T21:00:00.0000000Z", 5),
                                      storedRow("开机", "2026-11-01T16:00:00.0000000Z", 0)};
        // Gathering again adds nothing: the cut-off compares whole seconds alike.
        for (int time = 0; time < 2; ++time) {
            QTest::ignoreMessage(QtWarningMsg, warning);
            if (!wtmp) {
                QTest::ignoreMessage(
                    QtWarningMsg, QRegularExpression("cannot come from the login records: last ended with status 1"));
                QTest::ignoreMessage(QtWarningMsg,
                                     "No power-on or power-off is stored this time: neither the system journal "
                                     "nor the login records can be read");
            }
            command.collectPowerEvents();
            QCOMPARE(storedRows(), wtmp ? expected : QStringList());
        }
    }

    void loginRecordLines()
    {
        const QByteArray output =
            "\nreboot   system boot  6.1.0-18-amd64   2026-11-01T10:00:00+02:00 - crash  (01:01)\n"
            "shutdown system down  6.1.0-18-amd64   2026-11-01T17:01:40+08:00 - 2026-11-02T16:00:00+08:00  (22:58)\n"
            "reboot   pts/3        10.0.0.9         2026-11-01T16:00:00+08:00   still logged in\n\n";
        const LoginRecordPowerEventSource source;
        QCOMPARE(source.events(output, PowerEventSource::PowerOn, QDateTime()),
                 QList<EventRecord>{powerEvent("2026-11-01T16:00:00.0000000Z")});
        QCOMPARE(source.events(output, PowerEventSource::PowerOff, QDateTime()),
                 QList<EventRecord>{powerEvent("2026-11-01T17:01:40.0000000Z")});
    }

#endif
    void cannedEventsAreStoredNewestFirst_data()
    {
        QTest::addColumn<Canned>("canned");
        const QString on1 = "2026-12-01T08:00:00.0000000Z", off1 = "2026-12-01T18:00:00.5000000Z",
                      on2 = "2026-12-02T08:30:00.0000000Z", off2 = "2026-12-02T18:00:00.0000000Z";
        const QString On = "开机 ", Off = "关机 ";
        QTest::newRow("merged, the cache keeps the newest of each") << Canned{
            {on1, on2}, {off1}, "", {On + on2, Off + off1, On + on1}, on2 + ":1" + LineEnd + off1 + ":0" + LineEnd};
        QTest::newRow("power-offs only") << Canned{{}, {off1, off2}, "", {Off + off2, Off + off1}, ""};
        QTest::newRow("equal moments: the power-off first")
            << Canned{{off2}, {off2}, "", {Off + off2, On + off2}, off2 + ":0" + LineEnd};
        QTest::newRow("an existing cache file is left alone")
            << Canned{{on2}, {off1}, "kept as it was\n", {On + on2, Off + off1}, "kept as it was\n"};
    }

    void cannedEventsAreStoredNewestFirst()
    {
        QFETCH(Canned, canned);
        const auto &[powerOns, powerOffs, cacheBefore, rows, cacheAfter] = canned;
        QFile cache(Command::CacheFileName);
        if (!cacheBefore.isEmpty())
            QVERIFY(cache.open(QIODevice::WriteOnly) && cache.write(cacheBefore.toUtf8()) > 0);
        cache.close();
        auto source = std::make_shared<CannedSource>();
        for (const QString &text : powerOns)
            source->powerOns << powerEvent(text);
        for (const QString &text : powerOffs)
            source->powerOffs << powerEvent(text);
        // Gathered on a thread of its own, with a connection of its own that goes with it.
        Command command(nullptr, source);
        QSignalSpy collected(&command, &Command::powerEventsCollected);
        command.startCollecting();
        QVERIFY(command.isCollecting());
        QVERIFY(collected.wait(10000));
        QVERIFY(!command.isCollecting());
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList{QSqlDatabase::defaultConnection});
        QCOMPARE(queryColumn("select name || ' ' || operation_time from system_log order by id"), rows);
        QVERIFY(cache.open(QIODevice::ReadOnly) || cacheAfter.isEmpty());
        QCOMPARE(QString::fromUtf8(cache.readAll()), cacheAfter);
    }

    void eventLogTextIsParsed()
    {
        const QString output = QStringLiteral(
            "Event[0]:\r\n  Log Name: System\r\n  Source: EventLog\r\n  Date: 2024-05-01T08:30:15.1230000Z\r\n"
            "  Event ID: 6005\r\n  Description: started\r\nEvent[1]:\r\n  Log Name: System\r\n"
            "  Date:    2024-05-02T09:00:00.0000000Z   \r\n  Event ID: 6005\r\n"
            "Event[2]:\r\n  Log Name: System\r\n  Event ID: 6005\r\n"
            "Event[3]:\r\n  Date: 2024-05-03 10:00:00\r\n  Date: 2099-01-01T00:00:00.0000000Z\r\n");
        QCOMPARE(EventLogText::events(output),
                 (QList<EventRecord>{powerEvent("2024-05-01T08:30:15.1230000Z"),
                                     powerEvent("2024-05-02T09:00:00.0000000Z"), powerEvent("2024-05-03 10:00:00")}));
        QVERIFY(EventLogText::events("no events here").isEmpty());
    }

    void dateTexts()
    {
        const QDateTime full(QDate(2024, 5, 1), QTime(8, 30, 15, 123));
        const QList<QPair<QString, QDateTime>> rows = {{"2024-05-01T08:30:15.1230000Z", full},
                                                       {"2024-05-01Tnoon", QDateTime(QDate(2024, 5, 1), QTime(0, 0))},
                                                       {"2024-05-01 08:30:15", QDateTime()}};
        for (const auto &row : rows) {
            QCOMPARE(Command::parseEventDate(row.first), row.second);
            QCOMPARE(Command::eventTimestamp(row.first),
                     row.second.isValid() ? QString::number(row.second.toSecsSinceEpoch()) : QString("4294967295"));
        }
        QCOMPARE(PowerEventSource::dateText(full), rows.first().first);
    }

    void hungToolsAreEnded()
    {
        QElapsedTimer clock;
        clock.start();
        {
            Command command(nullptr);
            command.setToolTimeout(300);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("did not finish within"));
            QCOMPARE(command.runAndCapture(hungTool("partial 30")).trimmed(), QString("partial"));
            QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(command.runAndCapture("no-such-tool-anywhere --list"), QString());
        }
        // Closing while a collection waits on a hung tool ends at once.
        {
            auto hung = std::make_shared<CannedSource>(hungTool("first 30"));
            hung->setFallback(std::make_shared<CannedSource>(hungTool("second 31")));
            Command command(nullptr, hung);
            command.startCollecting();
            QTest::qWait(300);
            clock.restart();
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(storedRows().isEmpty());
    }

private:
    std::unique_ptr<ScratchDirectory> scratch;
};

QTEST_GUILESS_MAIN(TestPowerHistory)
#include "tst_power_history.moc"
