#include "platform/linux/XInputActivitySource.h"

#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace {

// A moving mouse sends hundreds of events a second. They are read in batches: after a batch
// the socket rests this long, then everything that came meanwhile is read at once. Each event
// is still reported; only the wake-ups are fewer.
const int BatchMilliseconds = 50;

// X buttons: 1 left, 2 middle, 3 right, 4/5 vertical wheel, 6/7 horizontal wheel, 8+ extra.
bool buttonCounts(int button, bool press)
{
    if (button == 1 || button == 3)
        return true;
    // A wheel notch arrives as a press and a release of 4 or 5: count it once.
    return press && (button == 4 || button == 5);
}

// Pointer motion counts when it moves along x or y (the first two valuators). Scrolling on
// a smooth-scroll device moves only its scroll valuators; that is wheel input, counted by
// the emulated button events instead.
bool motionMovesPointer(const XIRawEvent *event)
{
    const int bytes = event->valuators.mask_len;
    return bytes > 0 && (XIMaskIsSet(event->valuators.mask, 0) || XIMaskIsSet(event->valuators.mask, 1));
}

} // namespace

XInputActivitySource::XInputActivitySource(QObject *parent)
    : InputActivitySource(parent)
{
}

XInputActivitySource::~XInputActivitySource()
{
    stop();
}

bool XInputActivitySource::start()
{
    if (display)
        return true;
    display = XOpenDisplay(nullptr);
    if (!display) {
        qWarning() << "No X display: keyboard and mouse activity is not watched";
        return false;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success) {
        qWarning() << "The X display has no XInput2: keyboard and mouse activity is not watched";
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XISetMask(bits, XI_RawMotion);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    collectAltKeycodes();
    XFlush(display);

    notifier = new QSocketNotifier(ConnectionNumber(display), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &XInputActivitySource::readPendingEvents);
    batch = new QTimer(this);
    batch->setSingleShot(true);
    batch->setInterval(BatchMilliseconds);
    connect(batch, &QTimer::timeout, this, &XInputActivitySource::resumeReading);
    return true;
}

void XInputActivitySource::stop()
{
    delete batch;
    batch = nullptr;
    delete notifier;
    notifier = nullptr;
    if (display) {
        XCloseDisplay(display);
        display = nullptr;
    }
    altKeysDown.clear();
}

void XInputActivitySource::collectAltKeycodes()
{
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    int symsPerCode = 0;
    KeySym *syms = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode),
                                       maxKeycode - minKeycode + 1, &symsPerCode);
    if (!syms)
        return;
    for (int code = minKeycode; code <= maxKeycode; ++code) {
        for (int i = 0; i < symsPerCode; ++i) {
            const KeySym sym = syms[(code - minKeycode) * symsPerCode + i];
            if (sym == XK_Alt_L || sym == XK_Alt_R)
                altKeycodes.insert(code);
        }
    }
    XFree(syms);
}

void XInputActivitySource::resumeReading()
{
    if (!notifier)
        return;
    readPendingEvents();
    notifier->setEnabled(true);
}

void XInputActivitySource::readPendingEvents()
{
    bool sawEvents = false;
    while (display && XPending(display) > 0) {
        sawEvents = true;
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie *cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xiOpcode)
            continue;
        if (!XGetEventData(display, cookie))
            continue;
        handleRawEvent(cookie->evtype, cookie->data);
        XFreeEventData(display, cookie);
    }
    if (sawEvents && notifier && notifier->isEnabled()) {
        notifier->setEnabled(false);
        batch->start();
    }
}

void XInputActivitySource::handleRawEvent(int type, const void *rawEvent)
{
    const auto *event = static_cast<const XIRawEvent *>(rawEvent);
    switch (type) {
    case XI_RawKeyPress:
        // A key pressed while Alt is held, and Alt itself, is a system key press.
        if (altKeycodes.contains(event->detail)) {
            altKeysDown.insert(event->detail);
            return;
        }
        if (altKeysDown.isEmpty())
            emit activity();
        return;
    case XI_RawKeyRelease:
        altKeysDown.remove(event->detail);
        return;
    case XI_RawButtonPress:
    case XI_RawButtonRelease:
        if (buttonCounts(event->detail, type == XI_RawButtonPress))
            emit activity();
        return;
    case XI_RawMotion:
        if (motionMovesPointer(event))
            emit activity();
        return;
    default:
        return;
    }
}
