#include "platform/windows/WevtutilPowerEventSource.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

QString WevtutilPowerEventSource::commandLine(Kind kind, const QDateTime &cutOff) const
{
    Q_UNUSED(kind)
    Q_UNUSED(cutOff)
    InertNotice::once(said, "The power-on/off history");
    return QString();
}

QList<PowerEventSource::EventRecord> WevtutilPowerEventSource::events(const QByteArray &output, Kind kind,
                                                                      const QDateTime &cutOff) const
{
    Q_UNUSED(output)
    Q_UNUSED(kind)
    Q_UNUSED(cutOff)
    return {};
}
