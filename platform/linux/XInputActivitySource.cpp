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
// A held key repeats about 25 times a second; once a second is enough for idle times counted
// in seconds, at one round trip to the server.
const int HeldKeyCheckMilliseconds = 1000;

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

XInputActivitySource::XInputActivitySource(QObject *parent, int requestedMinorVersion)
    : InputActivitySource(parent)
    , requestedMinor(requestedMinorVersion)
{ }

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
    // Before 2.1 the server withholds raw events while another program holds a grab (a
    // window manager's Alt+Tab, an open menu, a remote-desktop viewer): typing there would
    // look like idleness.
    int major = 2;
    int minor = requestedMinor;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success) {
        qWarning() << "The X display has no XInput2: keyboard and mouse activity is not watched";
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    if (major == 2 && minor < 1)
        qWarning().noquote() << QStringLiteral("The X display offers XInput %1.%2 only: input inside other "
                                               "programs' grabs is not seen")
                                    .arg(major)
                                    .arg(minor);

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
    heldKeys = new QTimer(this);
    heldKeys->setInterval(HeldKeyCheckMilliseconds);
    connect(heldKeys, &QTimer::timeout, this, &XInputActivitySource::checkHeldKeys);
    return true;
}

void XInputActivitySource::stop()
{
    delete heldKeys;
    heldKeys = nullptr;
    delete batch;
    batch = nullptr;
    delete notifier;
    notifier = nullptr;
    if (display) {
        XCloseDisplay(display);
        display = nullptr;
    }
    altKeysDown.clear();
    keysDown.clear();
}

void XInputActivitySource::collectAltKeycodes()
{
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    int symsPerCode = 0;
    KeySym *syms = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1,
                                       &symsPerCode);
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
        handleKeyPress(event->detail);
        return;
    case XI_RawKeyRelease:
        handleKeyRelease(event->detail);
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

void XInputActivitySource::handleKeyPress(int keycode)
{
    // A key pressed while Alt is held, and Alt itself, is a system key press.
    if (altKeycodes.contains(keycode))
        altKeysDown.insert(keycode);
    else
        keysDown.insert(keycode);
    if (heldKeys && !heldKeys->isActive())
        heldKeys->start();
    if (!altKeycodes.contains(keycode) && altKeysDown.isEmpty())
        emit activity();
}

void XInputActivitySource::handleKeyRelease(int keycode)
{
    altKeysDown.remove(keycode);
    keysDown.remove(keycode);
    if (altKeysDown.isEmpty() && keysDown.isEmpty() && heldKeys)
        heldKeys->stop();
}

void XInputActivitySource::confirmKeysDown()
{
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    auto isDown = [&keymap](int keycode) {
        return keycode >= 0 && keycode < 256 && (keymap[keycode / 8] & (1 << (keycode % 8))) != 0;
    };
    for (QSet<int> *believedDown : {&altKeysDown, &keysDown}) {
        for (auto key = believedDown->begin(); key != believedDown->end();) {
            if (isDown(*key))
                ++key;
            else
                key = believedDown->erase(key);
        }
    }
}

void XInputActivitySource::checkHeldKeys()
{
    if (!display)
        return;
    // A release can be missed (an X server before XInput 2.1 during a grab, a watch started
    // while Alt was down): the server's own key state decides, so neither Alt nor any other
    // key stays "down" for ever. Only what the server says is up is dropped; events still
    // queued are read next, in order.
    confirmKeysDown();
    if (!keysDown.isEmpty() && altKeysDown.isEmpty())
        emit activity();
    if (keysDown.isEmpty() && altKeysDown.isEmpty())
        heldKeys->stop();
    // The reply may have brought events along into the client's queue, where the socket
    // watch does not see them.
    readPendingEvents();
}
