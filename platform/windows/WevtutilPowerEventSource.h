#pragma once

#include "platform/PowerEventSource.h"

// The System event log read through wevtutil: event 6005 (the event log service starting) is a
// power-on, 6006 (the service stopping) a power-off. The tool prints each event's moment in the
// computer's local time, although the text ends in "Z"; its query takes the cut-off in UTC.
class WevtutilPowerEventSource final : public PowerEventSource
{
public:
    // The query's form of a moment: UTC, to the millisecond, as "yyyy-MM-ddTHH:mm:ss.zzz0000Z".
    static QString queryTime(const QDateTime &moment);

    QString commandLine(Kind kind, const QDateTime &cutOff) const override;
    QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const override;
    QString description() const override;
};
