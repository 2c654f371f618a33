#include "platform/windows/CaptionDragWindowMover.h"

#include <QDebug>
#include <QWindow>

namespace {
// SC_MOVE (0xF010) combined with the caption hit-test code HTCAPTION (2).
const WPARAM MoveByCaption = SC_MOVE | HTCAPTION;
} // namespace

bool CaptionDragWindowMover::startSystemMove(QWindow *window)
{
    if (!window)
        return false;
    return dragByCaption(reinterpret_cast<HWND>(window->winId()));
}

bool CaptionDragWindowMover::dragByCaption(HWND window)
{
    if (!ReleaseCapture()) {
        qDebug() << "The mouse capture could not be released: no window drag, error" << GetLastError();
        return false;
    }
    SendMessageW(window, WM_SYSCOMMAND, MoveByCaption, 0);
    return true;
}
