#include "log_ui/RunPairing.h"

#include "storage/RecordKeys.h"

namespace {
const QString PowerOn = QStringLiteral("开机");
const QString PowerOff = QStringLiteral("关机");
}

QString RunPairing::durationText(qint64 seconds)
{
    return QStringLiteral("用时%1小时%2分钟%3秒 (共%4秒)")
        .arg(seconds / 60 / 60)
        .arg((seconds / 60) % 60)
        .arg(seconds % 60)
        .arg(seconds);
}

QList<QString> RunPairing::durations(const QList<QMap<QString, QString>> &rows)
{
    QList<QString> texts;
    texts.reserve(rows.size());
    int pendingRow = -1;
    qint64 pendingTimestamp = 0;
    for (int row = 0; row < rows.size(); ++row) {
        texts << QString();
        const QString name = rows.at(row).value(Column::Name);
        const qint64 timestamp = rows.at(row).value(Column::Timestamp).toLongLong();
        if (name == PowerOn && pendingRow != -1) {
            texts[pendingRow] = durationText(pendingTimestamp - timestamp);
            pendingRow = -1;
        }
        // Of two power-offs with no power-on between them, the older one pairs.
        if (name == PowerOff) {
            pendingRow = row;
            pendingTimestamp = timestamp;
        }
    }
    return texts;
}
