// Times a program's start-up to its first frame on the X server in DISPLAY,
// beside a reference program's.
//
// One start: the clock starts just before fork(). The program's window is the
// first top-level window mapped whose _NET_WM_PID is the started process (Qt
// sets it before mapping). Three moments are taken, in milliseconds:
//
//   mapped  the window's MapNotify.
//   frame   "up": the first XDamage notify inside the window's rectangle after
//           the map, i.e. the program's first frame reaching the screen. The
//           damage object watches the whole screen (the root window with all
//           it holds) and exists before the program starts, so no frame slips
//           by unseen. Qt gives its windows no background, so the server draws
//           nothing into them by itself: the first damage is the program's
//           first put of its painted window. A frame put in several pieces
//           counts from its first piece.
//   ping    the answer to a _NET_WM_PING sent at the map: the program's event
//           loop has run past the map.
//
// The program then gets SIGTERM, and the next start waits until its window
// has gone. Top-level windows are children of the root window, which holds on
// a bare X server such as Xvfb (no window manager reparents them).
//
// Usage:
//   corvantis-startup-probe ROUNDS PROGRAM [ARGS...] -- REFERENCE [ARGS...]
//       One start of each not counted, then ROUNDS rounds of one start of each,
//       the order alternating from round to round. Prints for each the median
//       and best time to the first frame, the ratio of the medians with its
//       95 % interval (bootstrap over the paired rounds), and the peak memory
//       (VmHWM) of three more starts each, read one second after the first
//       frame, so that what the first paints allocate is counted.
//   corvantis-startup-probe --stop-at-frame PROGRAM [ARGS...]
//       One start, sent SIGTERM the moment its first frame shows, without a
//       ping; for a program under callgrind, whose counts then end at the
//       first frame (plus what runs until the signal lands: the rest of that
//       frame's put, before the program falls idle). Prints frame_ms=...
// Figures are printed, never judged: only a start that cannot be measured fails.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Generous: a program under callgrind takes some seconds to its first frame.
constexpr auto Limit = std::chrono::seconds(120);
constexpr auto Settle = std::chrono::milliseconds(1000);
constexpr int PeakStarts = 3;
constexpr int Resamples = 10000;
constexpr double RatioTarget = 1.05;
constexpr double PeakTargetMib = 40;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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

XRectangle damagedArea(const XEvent &event) {
    XDamageNotifyEvent damage;
    std::memcpy(&damage, &event, sizeof damage);
    return damage.area;
}

bool overlaps(const XRectangle &a, const XRectangle &b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

enum class Until {
    Answered, // the first frame and the ping's answer
    Settled,  // the same, then Settle longer for the peak memory
    Frame,    // SIGTERM at the first frame, no ping
};

struct Start {
    double mappedMs = -1, frameMs = -1, pingMs = -1;
    long peakKib = -1;
};

class Probe {
  public:
    bool open() {
        display_ = XOpenDisplay(nullptr);
        if (!display_) {
            std::fprintf(stderr, "startup-probe: cannot open the display\n");
            return false;
        }
        int damageError = 0;
        if (!XDamageQueryExtension(display_, &damageEvent_, &damageError)) {
            std::fprintf(stderr, "startup-probe: the X server lacks the DAMAGE extension\n");
            return false;
        }
        XSetErrorHandler(ignoreErrors);
        root_ = DefaultRootWindow(display_);
        // Maps, moves and ends of top-level windows (substructure), and the
        // ping answers, which go to the root window.
        XSelectInput(display_, root_, SubstructureNotifyMask | StructureNotifyMask);
        XDamageCreate(display_, root_, XDamageReportRawRectangles);
        wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
        netWmPing_ = XInternAtom(display_, "_NET_WM_PING", False);
        netWmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
        XSync(display_, False);
        return true;
    }

    // One start of argv, ended after what until asks for; nothing on failure,
    // which is reported.
    std::optional<Start> run(char *const argv[], Until until) {
        Start s;
        const Clock::time_point start = Clock::now();
        const pid_t pid = fork();
        if (pid < 0) {
            std::perror("startup-probe: fork");
            return std::nullopt;
        }
        if (pid == 0) {
            execvp(argv[0], argv);
            std::perror("startup-probe: exec");
            _exit(127);
        }
        Window window = None;
        XRectangle area{};
        bool signalled = false;
        while (s.frameMs < 0 || (until != Until::Frame && s.pingMs < 0)) {
            int status = 0;
            if (Clock::now() - start > Limit || waitpid(pid, &status, WNOHANG) == pid) {
                std::fprintf(stderr, "startup-probe: %s %s before its first frame\n", argv[0],
                             Clock::now() - start > Limit ? "was not up in time" : "ended");
                end(pid, window, false);
                return std::nullopt;
            }
            XEvent event;
            if (!nextEvent(event))
                continue;
            if (event.type == MapNotify && window == None && event.xmap.event == root_ &&
                pidOf(event.xmap.window) == pid) {
                s.mappedMs = msSince(start);
                window = event.xmap.window;
                area = rectangleOf(window);
                if (until != Until::Frame)
                    ping(window);
            } else if (event.type == ConfigureNotify && window != None &&
                       event.xconfigure.window == window) {
                area = rectangleOf(window);
            } else if (event.type == damageEvent_ + XDamageNotify && window != None &&
                       s.frameMs < 0 && overlaps(damagedArea(event), area)) {
                s.frameMs = msSince(start);
                if (until == Until::Frame) {
                    kill(pid, SIGTERM);
                    signalled = true;
                }
            } else if (event.type == ClientMessage && window != None &&
                       event.xclient.message_type == wmProtocols_ &&
                       Atom(event.xclient.data.l[0]) == netWmPing_ &&
                       Window(event.xclient.data.l[2]) == window) {
                s.pingMs = msSince(start);
            }
        }
        if (until == Until::Settled) {
            const long atFrame = peakKib(pid);
            std::this_thread::sleep_for(Settle);
            s.peakKib = std::max(atFrame, peakKib(pid));
        }
        end(pid, window, signalled);
        return s;
    }

  private:
    bool nextEvent(XEvent &event) {
        if (!XPending(display_)) {
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, 10);
            return false;
        }
        XNextEvent(display_, &event);
        return true;
    }

    long pidOf(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(display_, window, netWmPid_, 0, 1, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success &&
            data && count == 1 && format == 32)
            pid = *reinterpret_cast<long *>(data);
        if (data)
            XFree(data);
        return pid;
    }

    XRectangle rectangleOf(Window window) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display_, window, &a))
            return {};
        return {short(a.x), short(a.y), static_cast<unsigned short>(a.width + 2 * a.border_width),
                static_cast<unsigned short>(a.height + 2 * a.border_width)};
    }

    void ping(Window window) {
        XEvent ping{};
        ping.xclient.type = ClientMessage;
        ping.xclient.window = window;
        ping.xclient.message_type = wmProtocols_;
        ping.xclient.format = 32;
        ping.xclient.data.l[0] = long(netWmPing_);
        ping.xclient.data.l[1] = CurrentTime;
        ping.xclient.data.l[2] = long(window);
        XSendEvent(display_, window, False, NoEventMask, &ping);
        XFlush(display_);
    }

    // Ends the program and waits until its window has left the screen, so
    // that the damage of its going cannot be taken for the next one's frame.
    void end(pid_t pid, Window window, bool signalled) {
        if (!signalled)
            kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        const Clock::time_point since = Clock::now();
        while (window != None && Clock::now() - since < std::chrono::seconds(5)) {
            XEvent event;
            if (nextEvent(event) && event.type == DestroyNotify &&
                event.xdestroywindow.window == window)
                break;
        }
        XSync(display_, False);
    }

    Display *display_ = nullptr;
    Window root_ = None;
    int damageEvent_ = 0;
    Atom wmProtocols_ = None, netWmPing_ = None, netWmPid_ = None;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double best(const std::vector<double> &v) {
    return *std::min_element(v.begin(), v.end());
}

// The 2.5 % and 97.5 % points of the ratio of medians over resampled rounds:
// each resample draws whole rounds, keeping a program's start beside the
// reference's start of the same round.
std::pair<double, double> ratioInterval(const std::vector<double> &a,
                                        const std::vector<double> &b) {
    std::mt19937 rng(15);
    std::uniform_int_distribution<size_t> pick(0, a.size() - 1);
    std::vector<double> ratios, ra(a.size()), rb(b.size());
    for (int i = 0; i < Resamples; ++i) {
        for (size_t j = 0; j < a.size(); ++j) {
            const size_t k = pick(rng);
            ra[j] = a[k];
            rb[j] = b[k];
        }
        ratios.push_back(median(ra) / median(rb));
    }
    std::sort(ratios.begin(), ratios.end());
    return {ratios[size_t(Resamples * 0.025)], ratios[size_t(Resamples * 0.975) - 1]};
}

struct Series {
    Series(const char *n, char *const *a) : name(n), argv(a) {}
    const char *name;
    char *const *argv;
    std::vector<double> mapped, frame, ping;
    long peakKib = -1;
};

bool record(Probe &probe, Series &s) {
    const auto start = probe.run(s.argv, Until::Answered);
    if (!start)
        return false;
    s.mapped.push_back(start->mappedMs);
    s.frame.push_back(start->frameMs);
    s.ping.push_back(start->pingMs);
    return true;
}

bool measurePeak(Probe &probe, Series &s) {
    for (int i = 0; i < PeakStarts; ++i) {
        const auto start = probe.run(s.argv, Until::Settled);
        if (!start)
            return false;
        s.peakKib = std::max(s.peakKib, start->peakKib);
    }
    return true;
}

const char *baseName(const char *path) {
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int compare(Probe &probe, int rounds, Series &program, Series &reference) {
    // Warm-up: the libraries come into the page cache, the session bus
    // starts what it starts on first use.
    if (!probe.run(program.argv, Until::Answered) || !probe.run(reference.argv, Until::Answered))
        return 1;
    for (int r = 0; r < rounds; ++r) {
        Series &first = r % 2 ? reference : program;
        Series &second = r % 2 ? program : reference;
        if (!record(probe, first) || !record(probe, second))
            return 1;
    }
    if (!measurePeak(probe, program) || !measurePeak(probe, reference))
        return 1;

    std::printf("    %-26s %12s %10s %10s %12s %12s\n", "(medians, best, peak)", "first frame",
                "best", "mapped", "ping answer", "peak memory");
    for (const Series *s : {&program, &reference})
        std::printf("    %-26s %9.1f ms %7.1f ms %7.1f ms %9.1f ms %8.1f MiB\n", s->name,
                    median(s->frame), best(s->frame), median(s->mapped), median(s->ping),
                    double(s->peakKib) / 1024);
    const double ratio = median(program.frame) / median(reference.frame);
    const auto [low, high] = ratioInterval(program.frame, reference.frame);
    std::printf("    start-up ratio: %.3f x by medians   (target within %.2f x: %s)\n"
                "                    95 %% interval %.3f-%.3f (bootstrap over %d paired rounds)\n"
                "                    %.3f x by best\n",
                ratio, RatioTarget, ratio <= RatioTarget ? "within target" : "MISSED", low, high,
                rounds, best(program.frame) / best(reference.frame));
    const double peakMib = double(program.peakKib) / 1024;
    std::printf("    peak memory of %s: %.1f MiB, the most of %d starts   (target within %g MiB: "
                "%s)\n",
                program.name, peakMib, PeakStarts, PeakTargetMib,
                peakMib <= PeakTargetMib ? "within target" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    Probe probe;
    if (argc >= 3 && std::strcmp(argv[1], "--stop-at-frame") == 0) {
        if (!probe.open())
            return 2;
        const auto start = probe.run(argv + 2, Until::Frame);
        if (!start)
            return 1;
        std::printf("frame_ms=%.1f\n", start->frameMs);
        return 0;
    }
    const int split = int(
        std::find_if(argv, argv + argc, [](const char *a) { return std::strcmp(a, "--") == 0; }) -
        argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (rounds < 1 || split < 3 || split + 1 >= argc) {
        std::fprintf(stderr,
                     "usage: %s ROUNDS PROGRAM [ARGUMENTS...] -- REFERENCE [ARGUMENTS...]\n"
                     "       %s --stop-at-frame PROGRAM [ARGUMENTS...]\n",
                     argv[0], argv[0]);
        return 2;
    }
    argv[split] = nullptr; // ends the program's arguments
    Series program(baseName(argv[2]), argv + 2);
    Series reference(baseName(argv[split + 1]), argv + split + 1);
    if (!probe.open())
        return 2;
    return compare(probe, rounds, program, reference);
}
