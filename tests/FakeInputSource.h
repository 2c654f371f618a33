#pragma once

#include "platform/InputActivitySource.h"

// Input that a test produces by hand; it remembers whether it is being watched, and can lose
// and regain sight of the desktop.
class FakeInputSource : public InputActivitySource
{
public:
    explicit FakeInputSource(bool canDetect = true)
        : detectable(canDetect)
    { }
    bool start() override { return running = true; }
    void stop() override { running = false; }
    bool detectsIdleness() const override { return detectable; }
    void press()
    {
        if (running)
            emit activity();
    }
    void setDetectable(bool canDetect)
    {
        detectable = canDetect;
        emit idleDetectionChanged(canDetect);
    }

    bool running = false;
    bool detectable = true;
};
