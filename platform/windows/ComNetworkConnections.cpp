#include "platform/windows/ComNetworkConnections.h"

#include "platform/windows/InertNotice.h"

namespace {
std::atomic_bool said{false};
}

void ComNetworkConnections::disconnectAll()
{
    InertNotice::once(said, "Disconnecting the network");
}
