#include "platform/QtWindowMover.h"

#include <QWindow>

bool QtWindowMover::startSystemMove(QWindow *window)
{
    return window && window->startSystemMove();
}
