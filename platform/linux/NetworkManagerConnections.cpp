#include "platform/linux/NetworkManagerConnections.h"

#include "platform/linux/SystemBusCall.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDebug>

namespace {
const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString Path = QStringLiteral("/org/freedesktop/NetworkManager");
const QString Interface = QStringLiteral("org.freedesktop.NetworkManager");

QList<QDBusObjectPath> objectPaths(const QVariant &value)
{
    QList<QDBusObjectPath> paths;
    const QVariant inner = value.value<QDBusVariant>().variant();
    if (inner.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = inner.value<QDBusArgument>();
        argument >> paths;
    } else {
        paths = qdbus_cast<QList<QDBusObjectPath>>(inner);
    }
    return paths;
}
} // namespace

void NetworkManagerConnections::disconnectAll()
{
    SystemBusCall::send(Service, Path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                        {Interface, QStringLiteral("ActiveConnections")}, [](const QDBusMessage &reply) {
                            const QList<QDBusObjectPath> active = objectPaths(reply.arguments().value(0));
                            if (active.isEmpty())
                                qInfo() << "No active network connection to disconnect";
                            for (const QDBusObjectPath &connection : active) {
                                SystemBusCall::send(Service, Path, Interface, QStringLiteral("DeactivateConnection"),
                                                    {QVariant::fromValue(connection)});
                            }
                        });
}
