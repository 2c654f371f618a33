#include "platform/windows/HiddenCommandInterpreter.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void HiddenCommandInterpreter::run(const QString &commandText)
{
    Q_UNUSED(commandText)
    InertNotice::once(said, "The command interpreter");
}
