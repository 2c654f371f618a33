#pragma once

#include "platform/NetworkConnections.h"

#include <windows.h>

#include <netcon.h>

#include <functional>

// The Network Connections manager (COM): every connection it lists is disconnected, whatever its
// kind or state. The manager is asked on a thread of its own, so the window never waits for it.
class ComNetworkConnections final : public NetworkConnections
{
public:
    // Makes the connection manager: the system's (CLSID_ConnectionManager as a server), or a
    // test's stand-in. Called on the disconnecting thread, after CoInitialize.
    using ManagerFactory = std::function<HRESULT(INetConnectionManager **)>;

    ComNetworkConnections();
    explicit ComNetworkConnections(ManagerFactory factory);

    void disconnectAll() override;

    static const CLSID ConnectionManagerClass;
    static const IID ConnectionManagerInterface;

private:
    static HRESULT systemManager(INetConnectionManager **manager);
    static void disconnectEvery(const ManagerFactory &makeManager);
    static int disconnectListed(IEnumNetConnection *connections);

    ManagerFactory makeManager;
};
