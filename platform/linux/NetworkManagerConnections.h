#pragma once

#include "platform/NetworkConnections.h"

// NetworkManager on the system bus: deactivates every active connection.
class NetworkManagerConnections final : public NetworkConnections
{
public:
    void disconnectAll() override;
};
