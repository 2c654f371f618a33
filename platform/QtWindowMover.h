#pragma once

#include "platform/WindowMover.h"

// The drag that Qt's own window-system integration offers (on X11 the window manager's move,
// on Wayland the compositor's).
class QtWindowMover final : public WindowMover
{
public:
    bool startSystemMove(QWindow *window) override;
};
