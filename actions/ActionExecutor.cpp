#include "actions/ActionExecutor.h"

#include "platform/CommandInterpreter.h"
#include "platform/DesktopLauncher.h"
#include "platform/DisplayPower.h"
#include "platform/NetworkConnections.h"
#include "platform/PowerManager.h"
#include "platform/ProcessTerminator.h"
#include "storage/RecordKeys.h"

#include <QDebug>
#include <QUrl>

#include <exception>

ActionExecutor::ActionExecutor(Connection *database, ActionServices facilities)
    : connection(database)
    , services(std::move(facilities))
{ }

std::optional<ResolvedAction> ActionExecutor::resolveAction(const Connection::Record &task)
{
    ResolvedAction action;
    action.actionId = task.value(Column::OrderT);
    const qlonglong operandId = task.value(Column::AppPositionT).toLongLong();
    if (operandId != -1) {
        const Connection::RecordList operands = connection->selectAppPosition(
            {{Column::Id, QString::number(operandId)}});
        if (!operands.isEmpty())
            action.operandText = operands.first().value(Column::Position);
    }
    const Connection::RecordList orders = connection->selectOrder({{Column::Id, action.actionId}});
    if (orders.isEmpty()) {
        qWarning() << "Task" << task.value(Column::Id) << "names no known action:" << action.actionId;
        return std::nullopt;
    }
    action.commandText = orders.first().value(Column::OrderCommand);
    action.operandRoute = !action.operandText.isEmpty();
    if (action.operandRoute) {
        action.executionRecord = {{QStringLiteral("commandStr"), action.commandText},
                                  {QStringLiteral("appPositionStr"), action.operandText},
                                  {QStringLiteral("orderId"), action.actionId}};
    }
    return action;
}

void ActionExecutor::run(const ResolvedAction &action)
{
    if (action.operandRoute)
        executeOrder(action.executionRecord);
    else
        executeCommand(action.commandText, action.actionId.toInt(nullptr, 10));
}

void ActionExecutor::executeCommand(QString command, int orderId)
{
    switch (orderId) {
    case Connection::ScreenSave:
        services.display->turnOff();
        return;
    case Connection::Logoff:
        services.power->terminateOwnSession();
        return;
    case Connection::ShutOffNet:
        shutOffNet(true);
        return;
    default:
        services.interpreter->run(command);
        return;
    }
}

void ActionExecutor::executeOrder(QMap<QString, QString> dataMap)
{
    try {
        runOperandAction(dataMap.value(QStringLiteral("orderId")).toInt(nullptr, 10),
                         dataMap.value(QStringLiteral("appPositionStr")));
    } catch (const std::exception &error) {
        qCritical() << error.what();
    }
}

void ActionExecutor::runOperandAction(int orderId, const QString &operand)
{
    switch (orderId) {
    case Connection::StopSofeware:
        services.terminator->terminateAll(programFileName(operand));
        return;
    case Connection::RunSoftware:
        services.launcher->startProgram(operand);
        return;
    case Connection::GetUrl:
        services.launcher->openUrl(addressOf(operand));
        return;
    case Connection::OpenFile:
        services.launcher->openFile(operand);
        return;
    case Connection::ShutOffNet:
        shutOffNet(true);
        return;
    default:
        qDebug() << "Action" << orderId << "takes no operand; nothing to do with" << operand;
        return;
    }
}

void ActionExecutor::shutOffNet(bool flag)
{
    Q_UNUSED(flag)
    services.network->disconnectAll();
}

QString ActionExecutor::programFileName(const QString &operand)
{
    return operand.split(QLatin1Char('/'), Qt::KeepEmptyParts, Qt::CaseSensitive).last();
}

QUrl ActionExecutor::addressOf(const QString &operand)
{
    QUrl url(operand, QUrl::TolerantMode);
    // The address window asks for what follows "http://": most addresses come without it.
    if (url.scheme().isEmpty())
        return QUrl::fromUserInput(operand);
    return url;
}
