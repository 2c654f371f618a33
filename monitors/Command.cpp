#include "monitors/Command.h"

#include "platform/CompatibilityLayer.h"
#include "platform/PlatformServices.h"

Command::Command(QObject *parent)
    : QObject(parent)
{
}

void Command::setRunAsAdmin(const QString &path)
{
    PlatformServices::compatibilityLayer()->setRunAsAdmin(path);
}
