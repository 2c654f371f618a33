#pragma once

#include "platform/PowerManager.h"

// The session end that Windows offers a program directly (a forced log-off); the power and
// lock actions reach Windows through the command interpreter instead. Not written yet: every
// request does nothing.
class ExitWindowsPowerManager : public PowerManager
{
public:
    void powerOff() override;
    void reboot() override;
    void hibernate() override;
    void suspend() override;
    void lockSessions() override;
    void terminateOwnSession() override;

private:
    static void refuse();
};
