#include "platform/PowerEventSource.h"

#include "storage/RecordKeys.h"

PowerEventSource::~PowerEventSource() = default;

QString PowerEventSource::whyUnanswered(const ToolRun &run) const
{
    if (!run.finished || run.exitCode != 0)
        return run.problem.isEmpty() ? QStringLiteral("the tool failed") : run.problem;
    return QString();
}

QString PowerEventSource::description() const
{
    return QStringLiteral("the event record");
}

std::shared_ptr<PowerEventSource> PowerEventSource::fallback() const
{
    return next;
}

void PowerEventSource::setFallback(std::shared_ptr<PowerEventSource> source)
{
    next = std::move(source);
}

QString PowerEventSource::dateText(const QDateTime &localTime)
{
    const QDateTime local = localTime.toLocalTime();
    return local.toString(DateFormat::Date) + QLatin1Char('T') + local.toString(QStringLiteral("HH:mm:ss.zzz"))
        + QStringLiteral("0000Z");
}
