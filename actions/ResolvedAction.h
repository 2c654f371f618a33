#pragma once

#include "storage/Connection.h"

// What an armed task needs to run its action: a snapshot taken when the task is armed.
struct ResolvedAction
{
    QString commandText; // order_command of the task's catalogue row
    QString actionId;    // the task's order_t, as decimal text
    QString operandText; // the task's operand (program, address or file), or empty
    bool operandRoute = false;
    // "commandStr", "appPositionStr" and "orderId", only on the operand route.
    Connection::Record executionRecord;
};
