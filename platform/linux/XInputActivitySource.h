#pragma once

#include "platform/InputActivitySource.h"

#include <QSet>

class QSocketNotifier;
class QTimer;
struct _XDisplay;
union _XEvent;

// Desktop-wide input through XInput2 raw events on the root window, read from a connection
// of its own to the X display whose socket is watched on the GUI thread. Raw events arrive
// whatever grabs other programs hold (XInput 2.1 and later) but never repeat: a key that
// stays down is confirmed with the server once a second and counts again each time.
class XInputActivitySource final : public InputActivitySource
{
    Q_OBJECT
public:
    // Tests ask for an older minor version to see how the watch fares on an older server.
    explicit XInputActivitySource(QObject *parent = nullptr, int requestedMinorVersion = 2);
    ~XInputActivitySource() override;

    bool start() override;
    void stop() override;

private:
    void readPendingEvents();
    void resumeReading();
    void handleRawEvent(int type, const void *rawEvent);
    void handleKeyPress(int keycode);
    void handleKeyRelease(int keycode);
    void collectAltKeycodes();
    // Asks the server which of the keys believed down still are, and forgets the others.
    void confirmKeysDown();
    // Once a second while keys are down: a held key is activity, as its repeats would be.
    void checkHeldKeys();

    int requestedMinor = 2;
    _XDisplay *display = nullptr;
    int xiOpcode = 0;
    QSocketNotifier *notifier = nullptr;
    QTimer *batch = nullptr;
    QSet<int> altKeycodes;
    QSet<int> altKeysDown;
    QSet<int> keysDown;
    QTimer *heldKeys = nullptr;
};
