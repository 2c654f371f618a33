#pragma once

#include "platform/PowerEventSource.h"

// The systemd journal of the system (not the user's own, whose first and last entries are a
// log-in and a log-out): the first entry of each boot is a power-on, the last entry of each
// finished boot a power-off. The running boot has no power-off yet.
class JournalPowerEventSource final : public PowerEventSource
{
public:
    // An empty directory means the system's own journal.
    explicit JournalPowerEventSource(const QString &journalDirectory = QString(),
                                     const QString &bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));

    QString commandLine(Kind kind, const QDateTime &cutOff) const override;
    QList<EventRecord> events(const QByteArray &output, Kind kind, const QDateTime &cutOff) const override;
    // A journal the user may not read, or none at all, lists no boots.
    QString whyUnanswered(const ToolRun &run) const override;
    QString description() const override;

private:
    QString runningBootId() const;

    QString journalDirectory;
    QString bootIdPath;
};
