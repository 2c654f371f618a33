#include "widgets/WindowDrag.h"

#include <QDebug>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void WindowDrag::start(QWidget *widget, QMouseEvent *event)
{
    QWindow *window = widget->window()->windowHandle();
    if (!window || !window->startSystemMove())
        qDebug() << "The window system did not take the window drag";
    event->ignore();
}
