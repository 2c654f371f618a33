#pragma once

#include "platform/InputActivitySource.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QString>

class QDBusPendingCallWatcher;
class QTimer;

// Input on a Wayland desktop, where an X client sees only the programs that run through the
// X compatibility server: the session's own idle time over the session bus (GNOME's Mutter
// idle monitor, else KDE's screen saver service), read once a second. An idle time that has
// grown less than the time between two readings means input came in between.
class SessionIdleTimeSource final : public InputActivitySource
{
    Q_OBJECT
public:
    struct Service
    {
        QString name;
        QString path;
        QString interface;
        QString method;
    };

    // The services asked, in order.
    static const QList<Service> &services();
    // Readings this far apart are one second of polling plus the bus's delays.
    static constexpr int PollMilliseconds = 1000;
    // Input this close after the previous one may go unnoticed: the readings' own jitter.
    static constexpr int ToleranceMilliseconds = 250;
    // This many unanswered readings in a row mean the session's idle time is lost.
    static constexpr int MissedReadingsAllowed = 5;

    explicit SessionIdleTimeSource(QObject *parent = nullptr,
                                   const QDBusConnection &bus = QDBusConnection::sessionBus());
    ~SessionIdleTimeSource() override;

    bool start() override;
    void stop() override;
    bool detectsIdleness() const override;

    // True when the desktop session is a Wayland one.
    static bool isWaylandSession();

private:
    bool findService();
    void poll();
    void readingArrived(QDBusPendingCallWatcher *call);
    void reading(qint64 idleMs);
    void readingMissed(const QString &why);
    void setDetectable(bool detectable);

    QDBusConnection bus;
    const Service *service = nullptr;
    QTimer *pollTimer = nullptr;
    QDBusPendingCallWatcher *pending = nullptr;
    QElapsedTimer sincePreviousReading;
    qint64 previousIdleMs = -1;
    int missedReadings = 0;
    bool detectable = false;
};
