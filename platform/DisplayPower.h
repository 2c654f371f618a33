#pragma once

#include <QString>

// Switches the display off, where the display can be.
class DisplayPower
{
public:
    virtual ~DisplayPower() = default;
    virtual void turnOff() = 0;
};
