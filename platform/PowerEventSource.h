#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>

// Where the computer's own record of its power-on and power-off moments comes from. The
// caller runs the command line (with a bounded wait) and hands back what it gave.
class PowerEventSource
{
public:
    enum Kind { PowerOn, PowerOff };
    using EventRecord = QMap<QString, QString>; // RecordKey::DateTime: the event's date text

    // One run of a source's command.
    struct ToolRun
    {
        bool finished = false; // started, and ended by itself in the time allowed
        int exitCode = -1;
        QByteArray output;
        QString problem; // what went wrong, for the log: not started, ended, status and its message
    };

    virtual ~PowerEventSource();

    // The command that lists the events of a kind later than the cut-off (none when invalid).
    virtual QString commandLine(Kind kind, const QDateTime &cutOff) const = 0;
    // The events of that kind in the command's output, oldest first.
    virtual QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const = 0;
    // Empty when the run read the record; otherwise why not. By default a run that ended with
    // status 0 answered.
    virtual QString whyUnanswered(const ToolRun &run) const;
    // What the record is, for the log.
    virtual QString description() const;

    // Asked when this source cannot answer; none unless set.
    std::shared_ptr<PowerEventSource> fallback() const;
    void setFallback(std::shared_ptr<PowerEventSource> source);

    // An event's date text: its local time as "yyyy-MM-ddTHH:mm:ss.zzz0000Z".
    static QString dateText(const QDateTime &localTime);

private:
    std::shared_ptr<PowerEventSource> next;
};
