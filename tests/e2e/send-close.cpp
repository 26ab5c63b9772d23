// corvantis-e2e-close WINDOW: asks a window to close as a window manager's
// close box does (WM_DELETE_WINDOW); no window manager runs in the tests' X
// server, and xdotool's windowclose destroys the window instead.
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char *argv[]) {
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    XEvent event{};
    event.xclient = {ClientMessage,
                     0,
                     False,
                     display,
                     window,
                     XInternAtom(display, "WM_PROTOCOLS", False),
                     32,
                     {}};
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}
