#pragma once

class QWindow;

// Hands a frameless window to the window system, which then moves it with the mouse until the
// pressed button is released.
class WindowMover
{
public:
    virtual ~WindowMover() = default;
    // False when the window system would not take the drag.
    virtual bool startSystemMove(QWindow *window) = 0;
};
