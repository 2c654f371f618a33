#include "monitors/Command.h"

#include "monitors/EventLogText.h"
#include "platform/CompatibilityLayer.h"
#include "platform/PlatformServices.h"
#include "storage/RecordKeys.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>

const char *const Command::CacheFileName = "ComputerTurnOnTime.xml";

namespace {

const QString DatetimeKey = RecordKey::DateTime;
// The database connection of a gathering on its own thread is named after its gatherer.
QString gatheringConnection(const Command *gatherer)
{
    return QStringLiteral("tickvale-power-history-%1").arg(quintptr(gatherer), 0, 16);
}
// How long a wait for the tool lasts at most before a request to stop is looked at.
const int StopCheckMs = 100;

QString firstLine(const QByteArray &text)
{
    return QString::fromLocal8Bit(text).trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace

Command::Command(QObject *parent, std::shared_ptr<PowerEventSource> eventSource)
    : QObject(parent)
    , source(eventSource ? std::move(eventSource) : PlatformServices::powerEventSource())
{ }

Command::~Command()
{
    stopCollecting();
}

void Command::setToolTimeout(int milliseconds)
{
    toolTimeoutMs = milliseconds;
}

void Command::startCollecting()
{
    if (worker)
        return;
    worker = QThread::create([this] { collectPowerEvents(gatheringConnection(this)); });
    worker->setObjectName(QStringLiteral("PowerHistory"));
    connect(worker, &QThread::finished, this, [this] {
        worker->deleteLater();
        worker = nullptr;
        emit powerEventsCollected();
    });
    worker->start(QThread::LowPriority);
}

bool Command::isCollecting() const
{
    return worker != nullptr;
}

void Command::stopCollecting()
{
    if (!worker)
        return;
    stopRequested = true;
    worker->wait();
    delete worker;
    worker = nullptr;
}

Command::ToolRun Command::runTool(const QString &commandLine)
{
    ToolRun run;
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        return run;
    const QString program = arguments.takeFirst();
    QProcess process;
    // The listing goes to a file and is read when the tool has ended: through a pipe a listing
    // of a few megabytes takes many seconds on Windows, through a file about one.
    QTemporaryFile listing(QDir::temp().filePath(QStringLiteral("tickvale-listing-XXXXXX.txt")));
    const bool toFile = listing.open();
    if (toFile) {
        listing.close();
        process.setStandardOutputFile(listing.fileName());
    } else {
        qWarning() << "No temporary file for the output of" << program << ":" << listing.errorString();
    }
    const auto takeOutput = [&] {
        if (!toFile)
            run.output += process.readAllStandardOutput();
        else if (listing.open())
            run.output += listing.readAll();
    };
    process.start(program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(toolTimeoutMs)) {
        run.problem = QStringLiteral("%1 cannot be run: %2").arg(program, process.errorString());
        return run;
    }
    process.closeWriteChannel();
    QByteArray errors;
    const QDeadlineTimer deadline(toolTimeoutMs);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired() || stopRequested) {
            run.problem = stopRequested
                ? QStringLiteral("%1 was ended: the program is closing").arg(program)
                : QStringLiteral("%1 did not finish within %2 s; it was ended").arg(program).arg(toolTimeoutMs / 1000);
            process.kill();
            process.waitForFinished(1000);
            takeOutput();
            return run;
        }
        // Reads what comes meanwhile; a tool that closed its output early still gets waited for.
        process.waitForFinished(int(qMin<qint64>(deadline.remainingTime(), StopCheckMs)));
        if (!toFile)
            run.output += process.readAllStandardOutput();
        errors += process.readAllStandardError();
    }
    takeOutput();
    errors += process.readAllStandardError();
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    if (!run.finished)
        run.problem = QStringLiteral("%1 crashed").arg(program);
    else if (run.exitCode != 0)
        run.problem =
            QStringLiteral("%1 ended with status %2: %3").arg(program).arg(run.exitCode).arg(firstLine(errors));
    return run;
}

QByteArray Command::runAndCaptureBytes(const QString &commandLine)
{
    const ToolRun run = runTool(commandLine);
    if (!run.finished && !run.problem.isEmpty())
        qWarning().noquote() << run.problem;
    return run.output;
}

QString Command::runAndCapture(const QString &commandLine)
{
    return QString::fromUtf8(runAndCaptureBytes(commandLine));
}

QList<Command::EventRecord> Command::queryEventLog(const QString &commandLine)
{
    return EventLogText::events(runAndCapture(commandLine));
}

namespace {

// The date text every source writes, read without the general parser: thousands of events
// are read at a start. Anything else goes the general way.
bool parseUsualDateText(const QString &text, QDateTime *moment)
{
    static const QRegularExpression usual(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})\\.(\\d{3})0000Z$"));
    const QRegularExpressionMatch match = usual.match(text);
    if (!match.hasMatch())
        return false;
    auto number = [&match](int group) { return match.capturedRef(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6), number(7));
    if (!date.isValid() || !time.isValid())
        return false;
    *moment = QDateTime(date, time, Qt::LocalTime);
    return true;
}

} // namespace

QDateTime Command::parseEventDate(const QString &dateText)
{
    QDateTime usual;
    if (parseUsualDateText(dateText, &usual))
        return usual;
    const QStringList parts = dateText.split(QLatin1Char('T'));
    const QDate date = QDate::fromString(parts.first().simplified(), DateFormat::Date);
    QTime time = QTime::fromString(parts.last(), QStringLiteral("HH:mm:ss.zzz'0000Z'"));
    if (!time.isValid())
        time = QTime(0, 0);
    return QDateTime(date, time, Qt::LocalTime);
}

QString Command::eventTimestamp(const QString &dateText)
{
    const QDateTime moment = parseEventDate(dateText);
    const quint32 seconds = moment.isValid() ? quint32(moment.toSecsSinceEpoch()) : quint32(-1);
    return QString::number(seconds);
}

QDateTime Command::cutOffOf(Connection &connection, Connection::SystemLogFlag flag)
{
    const Connection::RecordList rows = connection.selectNewestSystemLog(
        {{Column::OperationIndex, QString::number(flag)}});
    if (rows.isEmpty())
        return QDateTime();
    const QString newest = rows.first().value(Column::OperationTime);
    return newest.isEmpty() ? QDateTime() : parseEventDate(newest);
}

Command::ToolRun Command::runOnce(const QString &commandLine)
{
    if (!runs.contains(commandLine))
        runs.insert(commandLine, runTool(commandLine));
    return runs.value(commandLine);
}

QList<Command::EventRecord> Command::newestFirst(PowerEventSource::Kind kind, const QDateTime &cutOff)
{
    QStringList whyNot;
    for (PowerEventSource *record = source.get(); record && !stopRequested; record = record->fallback().get()) {
        const QString commandLine = record->commandLine(kind, cutOff);
        const bool firstAsked = !runs.contains(commandLine);
        const ToolRun run = runOnce(commandLine);
        const QString problem = record->whyUnanswered(run);
        if (problem.isEmpty()) {
            if (firstAsked && record != source.get())
                qInfo().noquote() << QStringLiteral("The power history comes from %1").arg(record->description());
            QList<EventRecord> events = record->events(run.output, kind, cutOff);
            std::reverse(events.begin(), events.end());
            return events;
        }
        if (firstAsked)
            qWarning().noquote()
                << QStringLiteral("The power history cannot come from %1: %2").arg(record->description(), problem);
        whyNot << record->description();
    }
    if (!nothingReadReported && !stopRequested) {
        nothingReadReported = true;
        const QString unreadable = whyNot.size() == 1
            ? whyNot.first() + QStringLiteral(" cannot be read")
            : QStringLiteral("neither ") + whyNot.join(QStringLiteral(" nor ")) + QStringLiteral(" can be read");
        qWarning().noquote() << QStringLiteral("No power-on or power-off is stored this time: %1").arg(unreadable);
    }
    return {};
}

void Command::collectPowerEvents(const QString &databaseConnection)
{
    runs.clear();
    nothingReadReported = false;
    // On a thread of its own the gathering has a connection of its own, made and dropped there;
    // it is no child of this object, which lives on the GUI thread.
    std::unique_ptr<Connection> ownConnection = databaseConnection.isEmpty()
        ? std::make_unique<Connection>(nullptr)
        : std::make_unique<Connection>(nullptr, databaseConnection);
    Connection &connection = *ownConnection;
    const QList<EventRecord> powerOns = newestFirst(PowerEventSource::PowerOn,
                                                    cutOffOf(connection, Connection::TurnOn));
    const QList<EventRecord> powerOffs = newestFirst(PowerEventSource::PowerOff,
                                                     cutOffOf(connection, Connection::TurnOff));
    // The cache file is written once, by the gathering that creates it.
    QFile cache(QString::fromLatin1(CacheFileName));
    QFile *cacheFile = nullptr;
    if (!cache.exists()) {
        if (cache.open(QIODevice::WriteOnly | QIODevice::Text))
            cacheFile = &cache;
        else
            qWarning() << "Cannot write" << CacheFileName << ":" << cache.errorString();
    }
    if (powerOns.isEmpty() && powerOffs.isEmpty())
        return;
    // All of a gathering lands or none of it: a start killed half-way gathers again next time.
    const bool inTransaction = connection.beginTransaction();
    merge(connection, powerOns, powerOffs, cacheFile);
    if (inTransaction && !connection.commitTransaction())
        qWarning() << "The power history could not be stored";
}

namespace {

struct TimedEvent
{
    QString dateText;
    QString timestamp;
    qint64 seconds;
};

// Each event's time is read once, however often the merge compares it.
QList<TimedEvent> timed(const QList<Command::EventRecord> &events)
{
    QList<TimedEvent> result;
    result.reserve(events.size());
    for (const Command::EventRecord &event : events) {
        const QString dateText = event.value(DatetimeKey);
        const QString timestamp = Command::eventTimestamp(dateText);
        result << TimedEvent{dateText, timestamp, timestamp.toLongLong()};
    }
    return result;
}

} // namespace

void Command::merge(Connection &connection, const QList<EventRecord> &powerOnEvents,
                    const QList<EventRecord> &powerOffEvents, QFile *cache)
{
    const QList<TimedEvent> powerOns = timed(powerOnEvents);
    const QList<TimedEvent> powerOffs = timed(powerOffEvents);
    int off = 0;
    for (const TimedEvent &on : powerOns) {
        bool recorded = false;
        while (off < powerOffs.size()) {
            const TimedEvent &powerOff = powerOffs.at(off);
            if (on.seconds > powerOff.seconds) {
                record(connection, on.dateText, on.timestamp, Connection::TurnOn);
                writeCacheLine(cache, on.dateText, Connection::TurnOn);
                recorded = true;
                break;
            }
            writeCacheLine(cache, powerOff.dateText, Connection::TurnOff);
            record(connection, powerOff.dateText, powerOff.timestamp, Connection::TurnOff);
            ++off;
        }
        if (!recorded)
            record(connection, on.dateText, on.timestamp, Connection::TurnOn);
    }
    for (; off < powerOffs.size(); ++off)
        record(connection, powerOffs.at(off).dateText, powerOffs.at(off).timestamp, Connection::TurnOff);
}

void Command::record(Connection &connection, const QString &dateText, const QString &timestamp,
                     Connection::SystemLogFlag flag)
{
    const bool stored = connection.insertSystemLog(
        {{Column::Name, flag == Connection::TurnOn ? QStringLiteral("开机") : QStringLiteral("关机")},
         {Column::OperationTime, dateText},
         {Column::Timestamp, timestamp},
         {Column::OperationIndex, QString::number(flag)}});
    if (!stored)
        qWarning() << "Cannot record the power event" << dateText;
}

void Command::writeCacheLine(QFile *cache, const QString &dateText, Connection::SystemLogFlag flag)
{
    if (!cache)
        return;
    cache->write(dateText.toUtf8() + (flag == Connection::TurnOn ? ":1\n" : ":0\n"));
}

void Command::setRunAsAdmin(const QString &path)
{
    PlatformServices::compatibilityLayer()->setRunAsAdmin(path);
}
