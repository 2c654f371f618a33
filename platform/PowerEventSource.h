#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

// Where the computer's own record of its power-on and power-off moments comes from. The
// caller runs the command line (with a bounded wait) and hands back what it printed.
class PowerEventSource
{
public:
    enum Kind { PowerOn, PowerOff };
    using EventRecord = QMap<QString, QString>; // "datetime": the event's date text

    virtual ~PowerEventSource();

    // The command that lists the events of a kind later than the cut-off (none when invalid).
    virtual QString commandLine(Kind kind, const QDateTime &cutOff) const = 0;
    // The events of that kind in the command's output, oldest first.
    virtual QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const = 0;

    // An event's date text: its local time as "yyyy-MM-ddTHH:mm:ss.zzz0000Z".
    static QString dateText(const QDateTime &localTime);
};
