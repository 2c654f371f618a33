#pragma once

#include "actions/ActionServices.h"
#include "platform/CommandInterpreter.h"
#include "platform/DesktopLauncher.h"
#include "platform/DisplayPower.h"
#include "platform/NetworkConnections.h"
#include "platform/PowerManager.h"
#include "platform/ProcessTerminator.h"

#include <QStringList>

// System facilities that only write down what they were asked to do.
struct ActionLog
{
    QStringList calls;
};

class FakeFacilities : public PowerManager,
                       public CommandInterpreter,
                       public DisplayPower,
                       public NetworkConnections,
                       public ProcessTerminator,
                       public DesktopLauncher
{
public:
    explicit FakeFacilities(ActionLog *callLog)
        : log(callLog)
    { }
    void powerOff() override { log->calls << "power off"; }
    void reboot() override { log->calls << "reboot"; }
    void hibernate() override { log->calls << "hibernate"; }
    void suspend() override { log->calls << "suspend"; }
    void lockSessions() override { log->calls << "lock"; }
    void terminateOwnSession() override { log->calls << "log off"; }
    void run(const QString &commandText) override { log->calls << "interpreter: " + commandText; }
    void turnOff() override { log->calls << "display off"; }
    void disconnectAll() override { log->calls << "disconnect all"; }
    void terminateAll(const QString &name) override { log->calls << "terminate: " + name; }
    void startProgram(const QString &path) override { log->calls << "start: " + path; }
    void openUrl(const QUrl &url) override { log->calls << "open address: " + url.toString(); }
    void openFile(const QString &path) override { log->calls << "open file: " + path; }

private:
    ActionLog *log;
};

inline ActionServices fakeActionServices(ActionLog *log)
{
    auto facilities = std::make_shared<FakeFacilities>(log);
    return {facilities, facilities, facilities, facilities, facilities, facilities};
}
