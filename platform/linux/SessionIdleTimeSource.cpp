#include "platform/linux/SessionIdleTimeSource.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QTimer>

namespace {

// The first reading at start-up waits no longer than this for a service that hangs.
const int FirstReadingTimeoutMs = 1000;

QDBusMessage readingCall(const SessionIdleTimeSource::Service &service)
{
    return QDBusMessage::createMethodCall(service.name, service.path, service.interface, service.method);
}

// GNOME answers with a 64-bit count of milliseconds, KDE with a 32-bit one.
bool idleMilliseconds(const QDBusMessage &reply, qint64 *idleMs)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    bool ok = false;
    const qulonglong value = reply.arguments().constFirst().toULongLong(&ok);
    if (ok)
        *idleMs = qint64(value);
    return ok;
}

} // namespace

const QList<SessionIdleTimeSource::Service> &SessionIdleTimeSource::services()
{
    static const QList<Service> known = {
        {QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
         QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime")},
        {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
         QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetSessionIdleTime")},
    };
    return known;
}

SessionIdleTimeSource::SessionIdleTimeSource(QObject *parent, const QDBusConnection &sessionBus)
    : InputActivitySource(parent)
    , bus(sessionBus)
{ }

SessionIdleTimeSource::~SessionIdleTimeSource()
{
    stop();
}

bool SessionIdleTimeSource::isWaylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool SessionIdleTimeSource::start()
{
    if (pollTimer)
        return true;
    if (!findService()) {
        qWarning() << "Neither org.gnome.Mutter.IdleMonitor nor org.freedesktop.ScreenSaver tells the idle time"
                      " on the session bus: this Wayland desktop's idleness cannot be detected";
        return false;
    }
    detectable = true;
    missedReadings = 0;
    pollTimer = new QTimer(this);
    pollTimer->setInterval(PollMilliseconds);
    connect(pollTimer, &QTimer::timeout, this, &SessionIdleTimeSource::poll);
    pollTimer->start();
    return true;
}

bool SessionIdleTimeSource::findService()
{
    if (!bus.isConnected())
        return false;
    for (const Service &candidate : services()) {
        // Once, at start-up, with a short bound: a missing service is refused by the bus at once.
        const QDBusMessage reply = bus.call(readingCall(candidate), QDBus::Block, FirstReadingTimeoutMs);
        qint64 idleMs = 0;
        if (!idleMilliseconds(reply, &idleMs)) {
            qInfo().noquote() << candidate.name << "gives no idle time:" << reply.errorMessage();
            continue;
        }
        service = &candidate;
        previousIdleMs = idleMs;
        sincePreviousReading.start();
        qInfo().noquote() << "Idle time read from" << candidate.name << "on the session bus";
        return true;
    }
    return false;
}

void SessionIdleTimeSource::stop()
{
    delete pollTimer;
    pollTimer = nullptr;
    delete pending;
    pending = nullptr;
    service = nullptr;
    detectable = false;
}

bool SessionIdleTimeSource::detectsIdleness() const
{
    return detectable;
}

void SessionIdleTimeSource::poll()
{
    // One reading at a time: a slow service is not sent a queue of questions.
    if (pending || !service)
        return;
    pending = new QDBusPendingCallWatcher(bus.asyncCall(readingCall(*service), PollMilliseconds * 5), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, &SessionIdleTimeSource::readingArrived);
}

void SessionIdleTimeSource::readingArrived(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    if (call != pending)
        return;
    pending = nullptr;
    qint64 idleMs = 0;
    if (idleMilliseconds(call->reply(), &idleMs))
        reading(idleMs);
    else
        readingMissed(call->reply().errorMessage());
}

void SessionIdleTimeSource::reading(qint64 idleMs)
{
    missedReadings = 0;
    const qint64 betweenReadings = sincePreviousReading.restart();
    const bool wasBlind = !detectable;
    // Without input the idle time grows by the time between the readings.
    const bool inputCame = idleMs + ToleranceMilliseconds < previousIdleMs + betweenReadings;
    previousIdleMs = idleMs;
    setDetectable(true);
    if (inputCame && !wasBlind)
        emit activity();
}

void SessionIdleTimeSource::readingMissed(const QString &why)
{
    if (++missedReadings == MissedReadingsAllowed) {
        qWarning().noquote() << service->name << "stopped telling the idle time (" << why
                             << "): idle tasks wait until it answers again";
        setDetectable(false);
    }
}

void SessionIdleTimeSource::setDetectable(bool canDetect)
{
    if (detectable == canDetect)
        return;
    detectable = canDetect;
    emit idleDetectionChanged(detectable);
}
