#include "platform/windows/ExitWindowsPowerManager.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void ExitWindowsPowerManager::powerOff()
{
    refuse();
}

void ExitWindowsPowerManager::reboot()
{
    refuse();
}

void ExitWindowsPowerManager::hibernate()
{
    refuse();
}

void ExitWindowsPowerManager::suspend()
{
    refuse();
}

void ExitWindowsPowerManager::lockSessions()
{
    refuse();
}

void ExitWindowsPowerManager::terminateOwnSession()
{
    refuse();
}

void ExitWindowsPowerManager::refuse()
{
    InertNotice::once(said, "The session and power manager");
}
