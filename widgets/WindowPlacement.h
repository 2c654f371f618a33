#pragma once

class QWidget;

// Where a pop-up window opens: over the middle of the window it was opened from, so that it
// does not land at the screen's corner where no window manager places it.
class WindowPlacement final
{
public:
    // Moves `popup` (sized already) so that its centre is the centre of `opener`'s window,
    // kept inside that window's screen so its title strip can still be reached.
    static void centreOn(QWidget *popup, const QWidget *opener);
};
