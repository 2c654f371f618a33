#include "platform/windows/WevtutilPowerEventSource.h"

#include "monitors/Command.h"
#include "monitors/EventLogText.h"
#include "storage/RecordKeys.h"

namespace {

// The power-on query goes through the command interpreter, the power-off query starts the tool
// itself; neither passes more options, so the tool lists the oldest event first.
const char *const PowerOnQuery = "cmd.exe /c wevtutil qe system /f:text /q:\"*[System[(EventID = 6005)]]\"";
const char *const PowerOnQueryAfter =
    "cmd.exe /c wevtutil qe system /f:text /q:\"*[System[(EventID = 6005) and TimeCreated[@SystemTime>'%1']]]\"";
const char *const PowerOffQuery = "wevtutil qe system /f:text /q:\"*[System[(EventID = 6006)]]\"";
const char *const PowerOffQueryAfter =
    "wevtutil qe system /f:text /q:\"*[System[(EventID = 6006) and TimeCreated[@SystemTime>'%1']]]\"";

} // namespace

QString WevtutilPowerEventSource::queryTime(const QDateTime &moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QStringLiteral("0000Z");
}

QString WevtutilPowerEventSource::commandLine(Kind kind, const QDateTime &cutOff) const
{
    if (!cutOff.isValid())
        return QString::fromLatin1(kind == PowerOn ? PowerOnQuery : PowerOffQuery);
    return QString::fromLatin1(kind == PowerOn ? PowerOnQueryAfter : PowerOffQueryAfter).arg(queryTime(cutOff));
}

QList<PowerEventSource::EventRecord> WevtutilPowerEventSource::events(const QByteArray &output, Kind kind,
                                                                      const QDateTime &cutOff) const
{
    Q_UNUSED(kind)
    QList<EventRecord> records = EventLogText::events(QString::fromUtf8(output));
    if (!cutOff.isValid())
        return records;
    // The log keeps a tenth of a microsecond, the date text a millisecond: the newest recorded
    // event is later than its own text and comes back with every query. It is dropped here.
    QList<EventRecord> newer;
    for (const EventRecord &record : qAsConst(records)) {
        const QDateTime moment = Command::parseEventDate(record.value(RecordKey::DateTime));
        if (!moment.isValid() || moment > cutOff)
            newer << record;
    }
    return newer;
}

QString WevtutilPowerEventSource::description() const
{
    return QStringLiteral("the System event log (wevtutil)");
}
