#pragma once

#include "platform/PowerEventSource.h"

// The login records (/var/log/wtmp), which every user may read, as `last` lists them: each
// "reboot" line is a power-on, each "shutdown" line a power-off, at the line's first moment.
// They keep whole seconds only.
class LoginRecordPowerEventSource final : public PowerEventSource
{
public:
    // An empty path means the system's own records.
    explicit LoginRecordPowerEventSource(const QString &recordFile = QString());

    QString commandLine(Kind kind, const QDateTime &cutOff) const override;
    QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const override;
    QString description() const override;

private:
    QString recordFile;
};
