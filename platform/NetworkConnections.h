#pragma once

#include <QString>

// The system's network connections.
class NetworkConnections
{
public:
    virtual ~NetworkConnections() = default;
    // Disconnects every active connection; nothing happens where there is no manager.
    virtual void disconnectAll() = 0;
};
