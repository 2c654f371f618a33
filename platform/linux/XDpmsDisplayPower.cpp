#include "platform/linux/XDpmsDisplayPower.h"

#include "platform/linux/XDpmsControl.h"

#include <QDebug>

XDpmsDisplayPower::XDpmsDisplayPower(std::unique_ptr<DpmsControl> control)
    : dpms(control ? std::move(control) : std::make_unique<XDpmsControl>())
{
    monitorWatch.setInterval(WatchMilliseconds);
    QObject::connect(&monitorWatch, &QTimer::timeout, [this] { checkMonitorBackOn(); });
}

XDpmsDisplayPower::~XDpmsDisplayPower()
{
    // The program ends while the monitor is off: the user's setting still comes back.
    if (monitorWatch.isActive())
        giveBackTheUsersSetting();
}

void XDpmsDisplayPower::turnOff()
{
    // While the watch runs the connection is still open.
    if (!monitorWatch.isActive() && !dpms->open()) {
        qWarning() << "No X display: the monitor cannot be switched off";
        return;
    }
    if (!dpms->capable()) {
        qWarning() << "The display has no power management: the monitor stays on";
        dpms->close();
        return;
    }
    // A second request while the monitor is off finds power management on for our sake:
    // the setting to give back is still the one met the first time.
    if (!monitorWatch.isActive() && !dpms->enabled()) {
        dpms->setEnabled(true);
        monitorWatch.start();
    }
    dpms->forceOff();
    if (!monitorWatch.isActive())
        dpms->close();
}

void XDpmsDisplayPower::checkMonitorBackOn()
{
    // Input wakes the monitor; the server reports it on again.
    if (dpms->level() == DpmsControl::On)
        giveBackTheUsersSetting();
}

void XDpmsDisplayPower::giveBackTheUsersSetting()
{
    monitorWatch.stop();
    dpms->setEnabled(false);
    dpms->close();
    qInfo() << "The monitor is on again: display power management is off again, as it was";
}
