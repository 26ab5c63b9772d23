// Starts a program on the X server in DISPLAY and times it until its window,
// found by title, is up and answering: mapped, then answering a _NET_WM_PING.
// A Qt program answers the ping from its event loop, so the answer comes only
// once everything before the loop (for the editor: loading the image) is done
// and the window's first exposure has been handled. Then reads the program's
// peak memory (VmHWM), ends it and prints one line:
//
//   mapped_ms=... ready_ms=... peak_kib=...
//
// Usage: corvantis-startup-probe TITLE PROGRAM [ARGUMENTS...]
//
// Top-level windows are found as children of the root window, which holds
// under a bare X server such as Xvfb (no window manager reparents them).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto Limit = std::chrono::seconds(60);
// After the window answers, the peak is read again a little later, so that
// the first paints and whatever they allocate are counted.
constexpr auto Settle = std::chrono::milliseconds(1000);

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string windowTitle(Display *display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == utf8)
        title.assign(reinterpret_cast<char *>(data), count);
    if (data)
        XFree(data);
    if (title.empty()) {
        char *name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

long peakKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

int ignoreErrors(Display *, XErrorEvent *) {
    return 0; // a window may go away between its event and our question
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[1];
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup-probe: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    // Map notifications of top-level windows (substructure), and the ping
    // answers, which Qt sends to the root window for those who select its
    // structure notifications.
    XSelectInput(display, root, SubstructureNotifyMask | StructureNotifyMask);
    const Atom wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom netWmPing = XInternAtom(display, "_NET_WM_PING", False);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("startup-probe: fork");
        return 2;
    }
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        std::perror("startup-probe: exec");
        _exit(127);
    }

    Window window = None;
    double mappedMs = -1, readyMs = -1;
    while (readyMs < 0) {
        if (Clock::now() - start > Limit) {
            std::fprintf(stderr, "startup-probe: no window \"%s\" within %lld s\n", wanted.c_str(),
                         static_cast<long long>(Limit.count()));
            stop(pid);
            return 1;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "startup-probe: %s ended before its window was up\n", argv[2]);
            return 1;
        }
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && window == None && event.xmap.event == root &&
            windowTitle(display, event.xmap.window) == wanted) {
            mappedMs = msSince(start);
            window = event.xmap.window;
            XEvent ping{};
            ping.xclient.type = ClientMessage;
            ping.xclient.window = window;
            ping.xclient.message_type = wmProtocols;
            ping.xclient.format = 32;
            ping.xclient.data.l[0] = long(netWmPing);
            ping.xclient.data.l[1] = CurrentTime;
            ping.xclient.data.l[2] = long(window);
            XSendEvent(display, window, False, NoEventMask, &ping);
            XFlush(display);
        } else if (event.type == ClientMessage && window != None &&
                   event.xclient.message_type == wmProtocols &&
                   Atom(event.xclient.data.l[0]) == netWmPing &&
                   Window(event.xclient.data.l[2]) == window) {
            readyMs = msSince(start);
        }
    }
    const long atReady = peakKib(pid);
    std::this_thread::sleep_for(Settle);
    const long settled = peakKib(pid);
    stop(pid);
    XCloseDisplay(display);
    std::printf("mapped_ms=%.1f ready_ms=%.1f peak_kib=%ld\n", mappedMs, readyMs,
                settled > atReady ? settled : atReady);
    return 0;
}
