#include "platform/linux/SystemBusCall.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

void SystemBusCall::send(const QString &service, const QString &path, const QString &interface, const QString &method,
                         const QList<QVariant> &arguments, const ReplyHandler &onReply)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qWarning() << "No system bus: cannot ask" << service << "for" << method;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, service, method, onReply](QDBusPendingCallWatcher *) {
                         const QDBusMessage reply = watcher->reply();
                         if (reply.type() == QDBusMessage::ErrorMessage)
                             qWarning() << service << "refused" << method << ":" << reply.errorMessage();
                         else if (onReply)
                             onReply(reply);
                         watcher->deleteLater();
                     });
}
