#include "platform/linux/XDpmsDisplayPower.h"

#include <QDebug>

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

void XDpmsDisplayPower::turnOff()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        qWarning() << "No X display: the monitor cannot be switched off";
        return;
    }
    int event = 0;
    int error = 0;
    if (!DPMSQueryExtension(display, &event, &error) || !DPMSCapable(display)) {
        qWarning() << "The display has no power management: the monitor stays on";
        XCloseDisplay(display);
        return;
    }
    DPMSEnable(display);
    DPMSForceLevel(display, DPMSModeOff);
    XSync(display, False);
    XCloseDisplay(display);
}
