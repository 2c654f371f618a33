#include "platform/windows/SysCommandDisplayPower.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void SysCommandDisplayPower::turnOff()
{
    InertNotice::once(said, "Switching the display off");
}
