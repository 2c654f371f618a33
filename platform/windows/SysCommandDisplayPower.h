#pragma once

#include "platform/DisplayPower.h"

// The system command that switches the monitors off. Not written yet: the display stays on.
class SysCommandDisplayPower : public DisplayPower
{
public:
    void turnOff() override;
};
