#pragma once

#include "platform/PowerManager.h"

#include <windows.h>

#include <functional>

// The session end that Windows offers a program directly: a forced log-off (EWX_LOGOFF with
// EWX_FORCEIFHUNG), made only once the version query has answered. The power and lock actions
// reach Windows through the command interpreter's own commands instead, so the other requests
// are never made on this system and only say so.
class ExitWindowsPowerManager final : public PowerManager
{
public:
    static constexpr UINT LogOffFlags = EWX_LOGOFF | EWX_FORCEIFHUNG;
    static constexpr DWORD NoReason = 0;

    // The version query and the session end: the system's, or a test's record of them.
    struct SessionCalls
    {
        std::function<BOOL(OSVERSIONINFOW *)> queryVersion;
        std::function<BOOL(UINT, DWORD)> exitWindows;
    };

    ExitWindowsPowerManager();
    explicit ExitWindowsPowerManager(SessionCalls calls);

    void powerOff() override;
    void reboot() override;
    void hibernate() override;
    void suspend() override;
    void lockSessions() override;
    void terminateOwnSession() override;

private:
    static void notThisWay(const char *request);

    SessionCalls system;
};
