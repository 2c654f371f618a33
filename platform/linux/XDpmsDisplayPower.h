#pragma once

#include "platform/DisplayPower.h"
#include "platform/linux/DpmsControl.h"

#include <QTimer>

#include <memory>

// Forces the X display's monitors off through the display power management extension. The
// extension must be on to do so; a user who had it off gets it off again as soon as the
// monitor is back on, so the server's blanking timeouts do not start to apply.
class XDpmsDisplayPower final : public DisplayPower
{
public:
    // How often the monitor is asked whether it is back on.
    static constexpr int WatchMilliseconds = 1000;

    // The display named by DISPLAY unless tests hand in another.
    explicit XDpmsDisplayPower(std::unique_ptr<DpmsControl> control = nullptr);
    ~XDpmsDisplayPower() override;

    void turnOff() override;

private:
    void checkMonitorBackOn();
    void giveBackTheUsersSetting();

    std::unique_ptr<DpmsControl> dpms;
    // Runs while power management is on for our sake only.
    QTimer monitorWatch;
};
