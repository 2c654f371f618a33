#include "platform/windows/ComNetworkConnections.h"

#include <QDebug>

#include <system_error>
#include <thread>

// BA126AD1-2166-11D1-B1D0-00805FC1270E and C08956A2-1CD3-11D1-B1C5-00805FC1270E.
const CLSID ComNetworkConnections::ConnectionManagerClass = {
    0xBA126AD1, 0x2166, 0x11D1, {0xB1, 0xD0, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
const IID ComNetworkConnections::ConnectionManagerInterface = {
    0xC08956A2, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};

ComNetworkConnections::ComNetworkConnections()
    : ComNetworkConnections(systemManager)
{ }

ComNetworkConnections::ComNetworkConnections(ManagerFactory factory)
    : makeManager(std::move(factory))
{ }

HRESULT ComNetworkConnections::systemManager(INetConnectionManager **manager)
{
    return CoCreateInstance(ConnectionManagerClass, nullptr, CLSCTX_SERVER, ConnectionManagerInterface,
                            reinterpret_cast<void **>(manager));
}

void ComNetworkConnections::disconnectAll()
{
    try {
        std::thread(disconnectEvery, makeManager).detach();
    } catch (const std::system_error &error) {
        qWarning() << "Cannot start disconnecting the network:" << error.what();
    }
}

void ComNetworkConnections::disconnectEvery(const ManagerFactory &makeManager)
{
    const HRESULT initialised = CoInitialize(nullptr);
    INetConnectionManager *manager = nullptr;
    const HRESULT made = makeManager(&manager);
    if (FAILED(made) || manager == nullptr) {
        qWarning() << "The network connection manager is not there - result" << Qt::hex << ulong(made);
    } else {
        IEnumNetConnection *connections = nullptr;
        const HRESULT listed = manager->EnumConnections(NCME_DEFAULT, &connections);
        manager->Release();
        if (FAILED(listed) || connections == nullptr) {
            qWarning() << "The network connection manager lists no connections - result" << Qt::hex << ulong(listed);
        } else {
            qInfo() << "Disconnected" << disconnectListed(connections) << "network connections";
            connections->Release();
        }
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
}

int ComNetworkConnections::disconnectListed(IEnumNetConnection *connections)
{
    int count = 0;
    INetConnection *connection = nullptr;
    ULONG fetched = 0;
    while (connections->Next(1, &connection, &fetched) == S_OK && connection != nullptr) {
        const HRESULT result = connection->Disconnect();
        if (FAILED(result))
            qWarning() << "A network connection did not disconnect - result" << Qt::hex << ulong(result);
        connection->Release();
        connection = nullptr;
        ++count;
    }
    return count;
}
