#pragma once

class QMouseEvent;
class QWidget;

// Lets the user drag a frameless window by pressing on its free surface: the window system
// moves the window with the mouse until the button is released.
class WindowDrag final
{
public:
    static void start(QWidget *widget, QMouseEvent *event);
};
