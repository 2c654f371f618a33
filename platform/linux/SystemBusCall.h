#pragma once

#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

// Sends one method call on the system bus without waiting; a refusal or a missing service is
// logged, and a reply, when one is wanted, reaches the callback on the GUI thread.
class SystemBusCall final
{
public:
    using ReplyHandler = std::function<void(const QDBusMessage &reply)>;

    static void send(const QString &service, const QString &path, const QString &interface, const QString &method,
                     const QList<QVariant> &arguments = {}, const ReplyHandler &onReply = nullptr);
};
