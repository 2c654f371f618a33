#include "widgets/WindowDrag.h"

#include "platform/PlatformServices.h"
#include "platform/WindowMover.h"

#include <QDebug>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void WindowDrag::start(QWidget *widget, QMouseEvent *event)
{
    static const std::shared_ptr<WindowMover> mover = PlatformServices::windowMover();
    QWindow *window = widget->window()->windowHandle();
    if (!window || !mover->startSystemMove(window))
        qDebug() << "The window system did not take the window drag";
    event->ignore();
}
