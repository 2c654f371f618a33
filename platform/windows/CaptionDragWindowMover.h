#pragma once

#include "platform/WindowMover.h"

#include <windows.h>

// The caption drag of Windows for frameless windows: the mouse capture that the press gave the
// window is released, and the window is told its caption was grabbed (WM_SYSCOMMAND with
// SC_MOVE | HTCAPTION). Windows then runs its own move loop until the button is released, so
// the call returns only after the drag.
class CaptionDragWindowMover final : public WindowMover
{
public:
    bool startSystemMove(QWindow *window) override;

    static bool dragByCaption(HWND window);
};
