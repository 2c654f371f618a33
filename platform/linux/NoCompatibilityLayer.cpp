#include "platform/linux/NoCompatibilityLayer.h"

#include <QDebug>

void NoCompatibilityLayer::setRunAsAdmin(const QString &nativeProgramPath)
{
    qDebug() << "No compatibility layer on this system; nothing recorded for" << nativeProgramPath;
}
