#include "widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void WindowPlacement::centreOn(QWidget *popup, const QWidget *opener)
{
    if (!popup || !opener)
        return;
    const QWidget *owner = opener->window();
    const QRect area = owner->frameGeometry();
    QRect placed(QPoint(0, 0), popup->frameGeometry().size());
    placed.moveCenter(area.center());
    if (const QScreen *screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        placed.moveRight(qMin(placed.right(), available.right()));
        placed.moveBottom(qMin(placed.bottom(), available.bottom()));
        placed.moveLeft(qMax(placed.left(), available.left()));
        placed.moveTop(qMax(placed.top(), available.top()));
    }
    popup->move(placed.topLeft());
}
