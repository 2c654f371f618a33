#include "platform/windows/InertNotice.h"

#include <QDebug>

void InertNotice::once(std::atomic_bool &said, const char *facility)
{
    if (!said.exchange(true))
        qWarning().noquote() << facility << "does nothing on this Windows build yet";
}
