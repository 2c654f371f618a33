#pragma once

#include "platform/InputActivitySource.h"

#include <QSet>

class QSocketNotifier;
class QTimer;
struct _XDisplay;
union _XEvent;

// Desktop-wide input through XInput2 raw events on the root window, read from a connection
// of its own to the X display whose socket is watched on the GUI thread.
class XInputActivitySource : public InputActivitySource
{
    Q_OBJECT
public:
    explicit XInputActivitySource(QObject *parent = nullptr);
    ~XInputActivitySource() override;

    bool start() override;
    void stop() override;

private:
    void readPendingEvents();
    void resumeReading();
    void handleRawEvent(int type, const void *rawEvent);
    void collectAltKeycodes();

    _XDisplay *display = nullptr;
    int xiOpcode = 0;
    QSocketNotifier *notifier = nullptr;
    QTimer *batch = nullptr;
    QSet<int> altKeycodes;
    QSet<int> altKeysDown;
};
