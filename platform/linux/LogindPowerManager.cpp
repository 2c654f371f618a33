#include "platform/linux/LogindPowerManager.h"

#include "platform/linux/SystemBusCall.h"

#include <QCoreApplication>
#include <QDBusObjectPath>

namespace {
const QString Service = QStringLiteral("org.freedesktop.login1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// Never ask the user: a timed task runs while nobody may be there to answer.
const bool Interactive = false;
}

void LogindPowerManager::callManager(const QString &method, const QList<QVariant> &arguments)
{
    SystemBusCall::send(Service, ManagerPath, ManagerInterface, method, arguments);
}

void LogindPowerManager::powerOff()
{
    callManager(QStringLiteral("PowerOff"), {Interactive});
}

void LogindPowerManager::reboot()
{
    callManager(QStringLiteral("Reboot"), {Interactive});
}

void LogindPowerManager::hibernate()
{
    callManager(QStringLiteral("Hibernate"), {Interactive});
}

void LogindPowerManager::suspend()
{
    callManager(QStringLiteral("Suspend"), {Interactive});
}

void LogindPowerManager::lockSessions()
{
    callManager(QStringLiteral("LockSessions"));
}

void LogindPowerManager::terminateOwnSession()
{
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    if (!sessionId.isEmpty()) {
        callManager(QStringLiteral("TerminateSession"), {sessionId});
        return;
    }
    // Not started from a session manager that tells us: ask which session this process is in.
    SystemBusCall::send(Service, ManagerPath, ManagerInterface, QStringLiteral("GetSessionByPID"),
                        {quint32(QCoreApplication::applicationPid())}, [](const QDBusMessage &reply) {
                            const auto session = reply.arguments().value(0).value<QDBusObjectPath>();
                            SystemBusCall::send(Service, session.path(), SessionInterface, QStringLiteral("Terminate"));
                        });
}
