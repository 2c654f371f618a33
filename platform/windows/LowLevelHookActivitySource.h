#pragma once

#include "platform/InputActivitySource.h"

// Desktop-wide input through the low-level keyboard and mouse hooks on the GUI thread. Not
// written yet: start() says so and fails, so idle tasks never fire on this build.
class LowLevelHookActivitySource : public InputActivitySource
{
    Q_OBJECT
public:
    using InputActivitySource::InputActivitySource;

    bool start() override;
    void stop() override;
};
