#pragma once

#include "platform/DisplayPower.h"

// Forces the X display's monitors off through the display power management extension.
class XDpmsDisplayPower : public DisplayPower
{
public:
    void turnOff() override;
};
