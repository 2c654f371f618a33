#include "schedule/DurationText.h"

QString DurationText::hoursMinutesSeconds(qint64 seconds)
{
    return QStringLiteral("%1小时%2分%3秒").arg(seconds / 3600).arg((seconds / 60) % 60).arg(seconds % 60);
}
