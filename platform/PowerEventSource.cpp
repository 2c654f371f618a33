#include "platform/PowerEventSource.h"

PowerEventSource::~PowerEventSource() = default;

QString PowerEventSource::dateText(const QDateTime &localTime)
{
    const QDateTime local = localTime.toLocalTime();
    return local.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
           + local.toString(QStringLiteral("HH:mm:ss.zzz")) + QStringLiteral("0000Z");
}
