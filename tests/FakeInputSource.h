#pragma once

#include "platform/InputActivitySource.h"

// Input that a test produces by hand; it remembers whether it is being watched.
class FakeInputSource : public InputActivitySource
{
public:
    bool start() override
    {
        running = true;
        return true;
    }
    void stop() override { running = false; }
    void press() { if (running) emit activity(); }

    bool running = false;
};
