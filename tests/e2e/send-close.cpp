// corvantis-e2e-close WINDOW: asks a window to close as a window manager's
// close box does (WM_DELETE_WINDOW); no window manager runs in the tests' X
// server, and xdotool's windowclose destroys the window instead.
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char *argv[]) {
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    XEvent event{}; // data.l[1], the time, stays CurrentTime (0)
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(std::strtoul(argv[1], nullptr, 0));
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}
