// corvantis-e2e-close WINDOW: asks a window to close as a window manager's
// close box does, with a WM_DELETE_WINDOW client message. (xdotool's
// windowclose destroys the window instead, and no window manager runs under
// the tests' bare X server.)

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[]) {
    char *end = nullptr;
    const Window window = argc == 2 ? Window(std::strtoul(argv[1], &end, 0)) : 0;
    if (window == 0 || *end != '\0') {
        std::fprintf(stderr, "usage: corvantis-e2e-close WINDOW\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "corvantis-e2e-close: cannot open the display\n");
        return 1;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    // A window manager only sends the message to windows that ask for it.
    Atom *atoms = nullptr;
    int count = 0;
    bool wanted = false;
    if (XGetWMProtocols(display, window, &atoms, &count)) {
        for (int i = 0; i < count; ++i)
            wanted = wanted || atoms[i] == deleteWindow;
        XFree(atoms);
    }
    if (!wanted) {
        std::fprintf(stderr, "corvantis-e2e-close: window %s takes no WM_DELETE_WINDOW\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
