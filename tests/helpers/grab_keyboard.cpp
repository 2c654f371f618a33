// Takes the X keyboard grab as another program would (a window manager's Alt+Tab, an open
// menu, a remote-desktop viewer) and holds it until a line arrives on standard input.
// Prints "grabbed" once it holds the grab. Used by the input watch's tests.
#include <X11/Xlib.h>

#include <cstdio>

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return std::fprintf(stderr, "no X display\n"), 2;
    const int result = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync,
                                     CurrentTime);
    if (result != GrabSuccess)
        return std::fprintf(stderr, "grab refused: %d\n", result), XCloseDisplay(display), 1;
    XSync(display, False);
    std::printf("grabbed\n");
    std::fflush(stdout);
    std::getchar();
    XUngrabKeyboard(display, CurrentTime);
    XCloseDisplay(display); // flushes the release
}
