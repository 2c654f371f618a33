#pragma once

// The display power management of an X display, reduced to what switching the monitor off
// needs; tests put a fake in its place, since a virtual display has no power management.
class DpmsControl
{
public:
    enum Level { On, Standby, Suspend, Off };

    virtual ~DpmsControl() = default;

    // Connects to the display; false when there is none.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Whether the display has power management at all.
    virtual bool capable() = 0;
    // Whether the server's own blanking (its timeouts) is switched on.
    virtual bool enabled() = 0;
    virtual void setEnabled(bool enable) = 0;
    // The monitor's present power level.
    virtual Level level() = 0;
    virtual void forceOff() = 0;
};
