#include "platform/linux/XDpmsControl.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

XDpmsControl::~XDpmsControl()
{
    close();
}

bool XDpmsControl::open()
{
    if (!display)
        display = XOpenDisplay(nullptr);
    return display != nullptr;
}

void XDpmsControl::close()
{
    if (!display)
        return;
    XCloseDisplay(display);
    display = nullptr;
}

bool XDpmsControl::capable()
{
    int event = 0;
    int error = 0;
    return display && DPMSQueryExtension(display, &event, &error) && DPMSCapable(display);
}

bool XDpmsControl::enabled()
{
    CARD16 power = DPMSModeOn;
    BOOL on = False;
    return display && DPMSInfo(display, &power, &on) && on;
}

void XDpmsControl::setEnabled(bool enable)
{
    if (!display)
        return;
    if (enable)
        DPMSEnable(display);
    else
        DPMSDisable(display);
    XSync(display, False);
}

DpmsControl::Level XDpmsControl::level()
{
    CARD16 power = DPMSModeOn;
    BOOL on = False;
    if (!display || !DPMSInfo(display, &power, &on))
        return On;
    switch (power) {
    case DPMSModeStandby:
        return Standby;
    case DPMSModeSuspend:
        return Suspend;
    case DPMSModeOff:
        return Off;
    default:
        return On;
    }
}

void XDpmsControl::forceOff()
{
    if (!display)
        return;
    DPMSForceLevel(display, DPMSModeOff);
    XSync(display, False);
}
