#pragma once

#include "actions/ActionServices.h"
#include "actions/ResolvedAction.h"
#include "storage/Connection.h"

#include <optional>

// Resolves a task's action when it is armed and runs it when it fires.
class ActionExecutor final
{
public:
    ActionExecutor(Connection *connection, ActionServices services);

    // Nothing when the task's catalogue row is missing.
    std::optional<ResolvedAction> resolveAction(const Connection::Record &task);
    // Runs the action by the route it was resolved for.
    void run(const ResolvedAction &action);

    // The route for tasks without an operand.
    void executeCommand(QString command, int orderId);
    // The route for tasks with an operand.
    void executeOrder(QMap<QString, QString> dataMap);
    void shutOffNet(bool flag);

    // The program's file name: the part of the operand after its last "/".
    static QString programFileName(const QString &operand);
    // The address to open: as typed, or with a scheme when the user typed none.
    static QUrl addressOf(const QString &operand);

private:
    void runOperandAction(int orderId, const QString &operand);

    Connection *connection;
    ActionServices services;
};
