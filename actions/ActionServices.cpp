#include "actions/ActionServices.h"

#include "platform/PlatformServices.h"

ActionServices ActionServices::system()
{
    ActionServices services;
    services.power = PlatformServices::powerManager();
    services.interpreter = PlatformServices::commandInterpreter(services.power);
    services.display = PlatformServices::displayPower();
    services.network = PlatformServices::networkConnections();
    services.terminator = PlatformServices::processTerminator();
    services.launcher = PlatformServices::desktopLauncher();
    return services;
}
