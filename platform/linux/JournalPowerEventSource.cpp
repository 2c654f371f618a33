#include "platform/linux/JournalPowerEventSource.h"

#include "storage/RecordKeys.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

JournalPowerEventSource::JournalPowerEventSource(const QString &journalFolder, const QString &bootIdFile)
    : journalDirectory(journalFolder)
    , bootIdPath(bootIdFile)
{ }

QString JournalPowerEventSource::commandLine(Kind kind, const QDateTime &cutOff) const
{
    Q_UNUSED(kind)
    Q_UNUSED(cutOff)
    // One list of boots serves both kinds; the cut-off is applied to what it prints. Without
    // --system a user outside the journal's groups would get the boots of their own journal.
    QString line = QStringLiteral("journalctl --no-pager --system --list-boots -o json");
    if (!journalDirectory.isEmpty())
        line += QStringLiteral(" \"--directory=%1\"").arg(journalDirectory);
    return line;
}

QString JournalPowerEventSource::whyUnanswered(const ToolRun &run) const
{
    QString failed = PowerEventSource::whyUnanswered(run);
    if (!failed.isEmpty())
        return failed;
    const QJsonDocument boots = QJsonDocument::fromJson(run.output);
    if (!boots.isArray() || boots.array().isEmpty())
        return QStringLiteral("it lists no boots");
    return QString();
}

QString JournalPowerEventSource::description() const
{
    return QStringLiteral("the system journal");
}

QString JournalPowerEventSource::runningBootId() const
{
    QFile file(bootIdPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll()).trimmed().remove(QLatin1Char('-'));
}

QList<PowerEventSource::EventRecord> JournalPowerEventSource::events(const QByteArray &output, Kind kind,
                                                                     const QDateTime &cutOff) const
{
    QJsonParseError error{};
    const QJsonDocument boots = QJsonDocument::fromJson(output, &error);
    if (!boots.isArray()) {
        if (!output.trimmed().isEmpty())
            qWarning() << "The journal's list of boots could not be read:" << error.errorString();
        return {};
    }
    const QString running = runningBootId();
    QList<QDateTime> moments;
    const QJsonArray list = boots.array();
    for (const QJsonValue value : list) {
        const QJsonObject boot = value.toObject();
        if (kind == PowerOff && boot.value(QStringLiteral("boot_id")).toString() == running)
            continue;
        const QString field = kind == PowerOn ? QStringLiteral("first_entry") : QStringLiteral("last_entry");
        const qint64 microseconds = qint64(boot.value(field).toDouble());
        if (microseconds <= 0)
            continue;
        // Date texts keep milliseconds: compare at that precision, or the newest recorded
        // event would come back at every start.
        const QDateTime moment = QDateTime::fromMSecsSinceEpoch(microseconds / 1000);
        if (cutOff.isValid() && moment <= cutOff)
            continue;
        moments << moment;
    }
    std::sort(moments.begin(), moments.end());
    QList<EventRecord> records;
    for (const QDateTime &moment : qAsConst(moments))
        records << EventRecord{{RecordKey::DateTime, dateText(moment)}};
    return records;
}
