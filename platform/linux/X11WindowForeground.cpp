#include "platform/WindowForeground.h"

#include <QDebug>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// Whether a window manager that follows the desktop conventions runs on this screen.
bool managed(Display *display, Window root)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const bool found = XGetWindowProperty(display, root, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                                          &data)
            == Success
        && count == 1;
    if (data)
        XFree(data);
    return found;
}

void askWindowManager(Display *display, Window root, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    // Source 2: a pager, which the window manager obeys without focus-stealing checks.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

} // namespace

bool WindowForeground::bringToFront(quintptr window)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        qWarning() << "The X display cannot be reached to bring the window to the front";
        return false;
    }
    const Window root = DefaultRootWindow(display);
    const auto id = Window(window);
    if (managed(display, root)) {
        askWindowManager(display, root, id);
    } else {
        // Nobody arranges the windows: this program does it itself.
        XMapRaised(display, id);
        XSetInputFocus(display, id, RevertToParent, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}
