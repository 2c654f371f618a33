#pragma once

#include "platform/linux/DpmsControl.h"

struct _XDisplay;

// The display power management extension of the X display named by DISPLAY, over a
// connection of its own.
class XDpmsControl final : public DpmsControl
{
public:
    ~XDpmsControl() override;

    bool open() override;
    void close() override;
    bool capable() override;
    bool enabled() override;
    void setEnabled(bool enable) override;
    Level level() override;
    void forceOff() override;

private:
    _XDisplay *display = nullptr;
};
