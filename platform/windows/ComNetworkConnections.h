#pragma once

#include "platform/NetworkConnections.h"

// The Network Connections manager (COM): every connection disconnected. Not written yet: the
// network stays connected.
class ComNetworkConnections : public NetworkConnections
{
public:
    void disconnectAll() override;
};
