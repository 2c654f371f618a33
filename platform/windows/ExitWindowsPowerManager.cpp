#include "platform/windows/ExitWindowsPowerManager.h"

#include <QDebug>

namespace {

BOOL queryVersion(OSVERSIONINFOW *version)
{
    return GetVersionExW(version);
}

BOOL exitWindows(UINT flags, DWORD reason)
{
    return ExitWindowsEx(flags, reason);
}

} // namespace

ExitWindowsPowerManager::ExitWindowsPowerManager()
    : ExitWindowsPowerManager(SessionCalls{queryVersion, exitWindows})
{ }

ExitWindowsPowerManager::ExitWindowsPowerManager(SessionCalls calls)
    : system(std::move(calls))
{ }

void ExitWindowsPowerManager::powerOff()
{
    notThisWay("power-off");
}

void ExitWindowsPowerManager::reboot()
{
    notThisWay("restart");
}

void ExitWindowsPowerManager::hibernate()
{
    notThisWay("hibernation");
}

void ExitWindowsPowerManager::suspend()
{
    notThisWay("stand-by");
}

void ExitWindowsPowerManager::lockSessions()
{
    notThisWay("lock");
}

void ExitWindowsPowerManager::terminateOwnSession()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!system.queryVersion(&version)) {
        const DWORD error = GetLastError();
        qWarning() << "The system version query failed - error" << error << "- no log-off";
        return;
    }
    if (!system.exitWindows(LogOffFlags, NoReason)) {
        const DWORD error = GetLastError();
        qWarning() << "The system refused the log-off - error" << error;
    }
}

void ExitWindowsPowerManager::notThisWay(const char *request)
{
    qWarning() << "A" << request << "request goes through the command interpreter on Windows: nothing was asked";
}
