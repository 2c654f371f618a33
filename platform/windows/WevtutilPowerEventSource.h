#pragma once

#include "platform/PowerEventSource.h"

// The System event log read through wevtutil: events 6005 (power-on) and 6006 (power-off). Not
// written yet: it names no command, so nothing runs and no events are found.
class WevtutilPowerEventSource : public PowerEventSource
{
public:
    QString commandLine(Kind kind, const QDateTime &cutOff) const override;
    QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const override;
};
