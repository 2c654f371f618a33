#pragma once

#include "platform/PowerManager.h"

#include <QList>
#include <QVariant>

// systemd-logind on the system bus: power, sleep, lock and session requests as the desktop user.
class LogindPowerManager final : public PowerManager
{
public:
    void powerOff() override;
    void reboot() override;
    void hibernate() override;
    void suspend() override;
    void lockSessions() override;
    void terminateOwnSession() override;

private:
    static void callManager(const QString &method, const QList<QVariant> &arguments = {});
};
