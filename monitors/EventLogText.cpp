#include "monitors/EventLogText.h"

#include "storage/RecordKeys.h"

#include <QStringList>

QList<QMap<QString, QString>> EventLogText::events(const QString &output)
{
    QList<QMap<QString, QString>> records;
    const QStringList parts = output.split(QStringLiteral("Event["), Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (const QString &part : parts) {
        const QStringList lines = part.split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (!line.contains(QLatin1String("Date:"), Qt::CaseSensitive))
                continue;
            const QString value = line.mid(line.indexOf(QLatin1Char(':')) + 1).simplified();
            records << QMap<QString, QString>{{RecordKey::DateTime, value}};
            break;
        }
    }
    return records;
}
