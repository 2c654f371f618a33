#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Pairs each power-off of a newest-first history with the power-on before it, and says how
// long that run lasted.
class RunPairing final
{
public:
    // For every row, the run length text of its column "时长" (empty where it has none).
    static QList<QString> durations(const QList<QMap<QString, QString>> &rowsNewestFirst);
    // "用时%1小时%2分钟%3秒 (共%4秒)".
    static QString durationText(qint64 seconds);
};
