#include "monitors/Command.h"

#include "monitors/EventLogText.h"
#include "platform/CompatibilityLayer.h"
#include "platform/PlatformServices.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

const char *const Command::CacheFileName = "ComputerTurnOnTime.xml";

namespace {
const QString DatetimeKey = QStringLiteral("datetime");
}

Command::Command(QObject *parent, std::shared_ptr<PowerEventSource> eventSource)
    : QObject(parent)
    , source(eventSource ? std::move(eventSource) : PlatformServices::powerEventSource())
{
}

void Command::setToolTimeout(int milliseconds)
{
    toolTimeoutMs = milliseconds;
}

QByteArray Command::runAndCaptureBytes(const QString &commandLine)
{
    QStringList arguments = QProcess::splitCommand(commandLine);
    if (arguments.isEmpty())
        return {};
    const QString program = arguments.takeFirst();
    QProcess process;
    process.start(program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(toolTimeoutMs)) {
        qWarning() << "Cannot run" << program << ":" << process.errorString();
        return {};
    }
    process.closeWriteChannel();
    QByteArray output;
    const QDeadlineTimer deadline(toolTimeoutMs);
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            qWarning() << program << "did not finish within" << toolTimeoutMs / 1000 << "s; it was ended";
            process.kill();
            process.waitForFinished(1000);
            break;
        }
        process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 1000)));
        output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();
    return output;
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
    const QDate date = QDate::fromString(parts.first().simplified(), QStringLiteral("yyyy-MM-dd"));
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
    const Connection::RecordList rows =
        connection.selectNewestSystemLog({{QStringLiteral("operation_index"), QString::number(flag)}});
    if (rows.isEmpty())
        return QDateTime();
    const QString newest = rows.first().value(QStringLiteral("operation_time"));
    return newest.isEmpty() ? QDateTime() : parseEventDate(newest);
}

QList<Command::EventRecord> Command::newestFirst(PowerEventSource::Kind kind, const QDateTime &cutOff)
{
    const QString commandLine = source->commandLine(kind, cutOff);
    if (commandLine != lastCommandLine) {
        lastCommandLine = commandLine;
        lastOutput = runAndCaptureBytes(commandLine);
    }
    const QByteArray &output = lastOutput;
    QList<EventRecord> events = source->events(output, kind, cutOff);
    std::reverse(events.begin(), events.end());
    return events;
}

void Command::collectPowerEvents()
{
    lastCommandLine.clear();
    Connection connection(this);
    const QList<EventRecord> powerOns = newestFirst(PowerEventSource::PowerOn, cutOffOf(connection, Connection::TurnOn));
    const QList<EventRecord> powerOffs =
        newestFirst(PowerEventSource::PowerOff, cutOffOf(connection, Connection::TurnOff));
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
    const bool stored = connection.insertSystemLog({{QStringLiteral("name"), flag == Connection::TurnOn
                                                                                 ? QStringLiteral("开机")
                                                                                 : QStringLiteral("关机")},
                                                    {QStringLiteral("operation_time"), dateText},
                                                    {QStringLiteral("timestamp"), timestamp},
                                                    {QStringLiteral("operation_index"), QString::number(flag)}});
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
