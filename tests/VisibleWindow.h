#pragma once

#include <QApplication>
#include <QWidget>

// The shown window of this class, if one is open: pop-ups that are windows of their own (the
// address window, the range picker) are found as a user sees them.
template<typename T>
T *visibleWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *found = qobject_cast<T *>(window);
        if (found && found->isVisible())
            return found;
    }
    return nullptr;
}
