#include "platform/linux/LoginRecordPowerEventSource.h"

#include "storage/RecordKeys.h"

#include <QRegularExpression>

#include <algorithm>

LoginRecordPowerEventSource::LoginRecordPowerEventSource(const QString &file)
    : recordFile(file)
{ }

QString LoginRecordPowerEventSource::commandLine(Kind kind, const QDateTime &cutOff) const
{
    Q_UNUSED(kind)
    Q_UNUSED(cutOff)
    // One listing serves both kinds. ISO times carry their offset from UTC and no names of
    // days or months, so neither the language nor a daylight-saving change can confuse them.
    QString line = QStringLiteral("last -x --time-format iso reboot shutdown");
    if (!recordFile.isEmpty())
        line += QStringLiteral(" -f \"%1\"").arg(recordFile);
    return line;
}

QList<PowerEventSource::EventRecord> LoginRecordPowerEventSource::events(const QByteArray &output, Kind kind,
                                                                         const QDateTime &cutOff) const
{
    // "reboot   system boot  6.1.0-18-amd64   2026-11-02T16:00:00+08:00   still running"
    // "shutdown system down  6.1.0-18-amd64   2026-11-01T17:01:40+08:00 - 2026-11-02T16:00:00+08:00  (22:58)"
    static const QRegularExpression line(
        QStringLiteral("^(reboot|shutdown)\\s+system "
                       "(boot|down)\\s.*?(\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(?:Z|[+-]\\d{2}:?\\d{2}))"));
    const QString wanted = kind == PowerOn ? QStringLiteral("reboot") : QStringLiteral("shutdown");
    QList<QDateTime> moments;
    for (const QString &text : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch() || match.captured(1) != wanted)
            continue;
        const QDateTime moment = QDateTime::fromString(match.captured(3), Qt::ISODate);
        if (!moment.isValid() || (cutOff.isValid() && moment <= cutOff))
            continue;
        moments << moment;
    }
    std::sort(moments.begin(), moments.end());
    QList<EventRecord> records;
    for (const QDateTime &moment : qAsConst(moments))
        records << EventRecord{{RecordKey::DateTime, dateText(moment)}};
    return records;
}

QString LoginRecordPowerEventSource::description() const
{
    return QStringLiteral("the login records");
}
