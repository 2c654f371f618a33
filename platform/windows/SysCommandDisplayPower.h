#pragma once

#include "platform/DisplayPower.h"

#include <windows.h>

#include <functional>

// Switches the monitors off with the system command a window receives for it: WM_SYSCOMMAND with
// SC_MONITORPOWER and 2 (off), sent to the first top-level window, whose default handling asks
// the system to power the displays down.
class SysCommandDisplayPower final : public DisplayPower
{
public:
    static constexpr UINT Message = WM_SYSCOMMAND;
    static constexpr WPARAM Command = SC_MONITORPOWER;
    static constexpr LPARAM PowerOff = 2;

    // The window lookup and the message delivery: the system's, or a test's record of them.
    struct WindowCalls
    {
        std::function<HWND()> firstTopLevelWindow;
        // False when the message did not reach the window.
        std::function<bool(HWND, UINT, WPARAM, LPARAM)> send;
    };

    SysCommandDisplayPower();
    explicit SysCommandDisplayPower(WindowCalls calls);

    void turnOff() override;

private:
    WindowCalls system;
};
