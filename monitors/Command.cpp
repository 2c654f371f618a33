#include "monitors/Command.h"

#include "monitors/EventLogText.h"
#include "platform/CompatibilityLayer.h"
#include "platform/PlatformServices.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>

const char *const Command::CacheFileName = "ComputerTurnOnTime.xml";

namespace {
const QString DatetimeKey = QStringLiteral("datetime");
}

Command::Command(QObject *parent, std::shared_ptr<PowerEventSource> source)
    : QObject(parent)
    , source(source ? std::move(source) : PlatformServices::powerEventSource())
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

QDateTime Command::parseEventDate(const QString &dateText)
{
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
        connection.selectSystemLog({{QStringLiteral("operation_index"), QString::number(flag)}});
    if (rows.isEmpty())
        return QDateTime();
    const QString newest = rows.first().value(QStringLiteral("operation_time"));
    return newest.isEmpty() ? QDateTime() : parseEventDate(newest);
}

QList<Command::EventRecord> Command::newestFirst(PowerEventSource::Kind kind, const QDateTime &cutOff)
{
    const QByteArray output = runAndCaptureBytes(source->commandLine(kind, cutOff));
    QList<EventRecord> events = source->events(output, kind, cutOff);
    std::reverse(events.begin(), events.end());
    return events;
}

void Command::collectPowerEvents()
{
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

void Command::merge(Connection &connection, const QList<EventRecord> &powerOns, const QList<EventRecord> &powerOffs,
                    QFile *cache)
{
    int off = 0;
    for (const EventRecord &on : powerOns) {
        const qint64 onTime = eventTimestamp(on.value(DatetimeKey)).toLongLong();
        bool recorded = false;
        while (!powerOffs.isEmpty() && off < powerOffs.size()) {
            const EventRecord &powerOff = powerOffs.at(off);
            if (onTime > eventTimestamp(powerOff.value(DatetimeKey)).toLongLong()) {
                record(connection, on, Connection::TurnOn);
                writeCacheLine(cache, on, Connection::TurnOn);
                recorded = true;
                break;
            }
            writeCacheLine(cache, powerOff, Connection::TurnOff);
            record(connection, powerOff, Connection::TurnOff);
            ++off;
        }
        if (!recorded)
            record(connection, on, Connection::TurnOn);
    }
    for (; off < powerOffs.size(); ++off)
        record(connection, powerOffs.at(off), Connection::TurnOff);
}

void Command::record(Connection &connection, const EventRecord &event, Connection::SystemLogFlag flag)
{
    const QString dateText = event.value(DatetimeKey);
    const bool stored = connection.insertSystemLog({{QStringLiteral("name"), flag == Connection::TurnOn
                                                                                 ? QStringLiteral("开机")
                                                                                 : QStringLiteral("关机")},
                                                    {QStringLiteral("operation_time"), dateText},
                                                    {QStringLiteral("timestamp"), eventTimestamp(dateText)},
                                                    {QStringLiteral("operation_index"), QString::number(flag)}});
    if (!stored)
        qWarning() << "Cannot record the power event" << dateText;
}

void Command::writeCacheLine(QFile *cache, const EventRecord &event, Connection::SystemLogFlag flag)
{
    if (!cache)
        return;
    cache->write(event.value(DatetimeKey).toUtf8() + (flag == Connection::TurnOn ? ":1\n" : ":0\n"));
}

void Command::setRunAsAdmin(const QString &path)
{
    PlatformServices::compatibilityLayer()->setRunAsAdmin(path);
}
