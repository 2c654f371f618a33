#pragma once

#include <QtGlobal>

// Puts a window of this program on top and gives it the keyboard when another program asked
// for it (a second start in the same folder). The toolkit's own activation carries the time of
// the last input this program saw, which the desktop rightly takes for a stale request; this
// one is made as a pager's or task bar's request, for now.
class WindowForeground final
{
public:
    // `window` is the native id of a shown top-level window. False when the desktop could not
    // be asked.
    static bool bringToFront(quintptr window);
};
