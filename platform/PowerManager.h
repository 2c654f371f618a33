#pragma once

#include <QString>

// The system's power and session manager: every request is sent without waiting for an answer; a
// refusal is logged.
class PowerManager
{
public:
    virtual ~PowerManager() = default;
    virtual void powerOff() = 0;
    virtual void reboot() = 0;
    virtual void hibernate() = 0;
    virtual void suspend() = 0;
    virtual void lockSessions() = 0;
    // Ends the desktop session this program runs in, without asking the user.
    virtual void terminateOwnSession() = 0;
};
