// Times a program's start-up to its first frame on the X server in DISPLAY,
// beside reference programs'.
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
//                           [-- REFERENCE [ARGS...]]
//       One start of each not counted, then ROUNDS rounds of one start of each,
//       the order turning from round to round. Prints for each the median and
//       best time to the first frame, the ratio of the program's median to
//       each reference's with its 95 % interval (bootstrap over the rounds),
//       and the peak memory (VmHWM) of three more starts each, read one second
//       after the first frame, so that what the first paints allocate is
//       counted.
//   corvantis-startup-probe --until-exit PROGRAM [ARGS...]
//       One start that ends by itself after its first frame, as a program does
//       under callgrind with bench/settle.cpp loaded; fails when no frame was
//       seen or the exit status is not 0. Prints frame_ms=...
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
    Exit,     // the first frame, then the program's own exit; no ping
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
        const auto handle = [&](const XEvent &event) {
            if (event.type == MapNotify && window == None && event.xmap.event == root_ &&
                pidOf(event.xmap.window) == pid) {
                s.mappedMs = msSince(start);
                window = event.xmap.window;
                area = rectangleOf(window);
                if (until != Until::Exit)
                    ping(window);
            } else if (event.type == ConfigureNotify && window != None &&
                       event.xconfigure.window == window) {
                area = rectangleOf(window);
            } else if (event.type == damageEvent_ + XDamageNotify && window != None &&
                       s.frameMs < 0 && overlaps(damagedArea(event), area)) {
                s.frameMs = msSince(start);
            } else if (event.type == ClientMessage && window != None &&
                       event.xclient.message_type == wmProtocols_ &&
                       Atom(event.xclient.data.l[0]) == netWmPing_ &&
                       Window(event.xclient.data.l[2]) == window) {
                s.pingMs = msSince(start);
            }
        };
        // Until the frame and the ping's answer; with Until::Exit, until the
        // program's exit.
        while (until == Until::Exit || s.frameMs < 0 || s.pingMs < 0) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                // The program's last requests came before its exit: what they
                // damaged is reported before the answer to a round trip.
                XSync(display_, False);
                XEvent event;
                while (XPending(display_)) {
                    XNextEvent(display_, &event);
                    handle(event);
                }
                const bool settled = until == Until::Exit && s.frameMs >= 0 && WIFEXITED(status) &&
                                     WEXITSTATUS(status) == 0;
                if (!settled)
                    std::fprintf(stderr, "startup-probe: %s ended %s\n", argv[0],
                                 s.frameMs < 0 ? "before its first frame" : "with a failure");
                end(pid, window, true);
                return settled ? std::optional<Start>(s) : std::nullopt;
            }
            if (Clock::now() - start > Limit) {
                std::fprintf(stderr, "startup-probe: %s was not up in time\n", argv[0]);
                end(pid, window, false);
                return std::nullopt;
            }
            XEvent event;
            if (nextEvent(event))
                handle(event);
        }
        if (until == Until::Settled) {
            const long atFrame = peakKib(pid);
            std::this_thread::sleep_for(Settle);
            s.peakKib = std::max(atFrame, peakKib(pid));
        }
        end(pid, window, false);
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
    void end(pid_t pid, Window window, bool ended) {
        if (!ended)
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

// series[0] is the program, the rest its references.
int compare(Probe &probe, int rounds, std::vector<Series> &series) {
    // Warm-up: the libraries come into the page cache, the session bus
    // starts what it starts on first use.
    for (const Series &s : series)
        if (!probe.run(s.argv, Until::Answered))
            return 1;
    const size_t n = series.size();
    for (int r = 0; r < rounds; ++r)
        for (size_t k = 0; k < n; ++k)
            if (!record(probe, series[(size_t(r) + k) % n]))
                return 1;
    for (Series &s : series)
        if (!measurePeak(probe, s))
            return 1;

    std::printf("    %-26s %12s %10s %10s %12s %12s\n", "(medians, best, peak)", "first frame",
                "best", "mapped", "ping answer", "peak memory");
    for (const Series &s : series)
        std::printf("    %-26s %9.1f ms %7.1f ms %7.1f ms %9.1f ms %8.1f MiB\n", s.name,
                    median(s.frame), best(s.frame), median(s.mapped), median(s.ping),
                    double(s.peakKib) / 1024);
    const Series &program = series[0];
    for (size_t k = 1; k < n; ++k) {
        const Series &reference = series[k];
        const auto [low, high] = ratioInterval(program.frame, reference.frame);
        std::printf("    start-up ratio to %s: %.3f x by medians, %.3f x by best\n"
                    "        95 %% interval %.3f-%.3f (bootstrap over %d rounds)\n",
                    reference.name, median(program.frame) / median(reference.frame),
                    best(program.frame) / best(reference.frame), low, high, rounds);
    }
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
    if (argc >= 3 && std::strcmp(argv[1], "--until-exit") == 0) {
        if (!probe.open())
            return 2;
        const auto start = probe.run(argv + 2, Until::Exit);
        if (!start)
            return 1;
        std::printf("frame_ms=%.1f\n", start->frameMs);
        return 0;
    }
    // PROGRAM ... -- REFERENCE ... [-- REFERENCE ...]: each "--" ends the
    // arguments before it.
    std::vector<Series> series;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            argv[i] = nullptr;
        else if (i == 2 || !argv[i - 1])
            series.emplace_back(baseName(argv[i]), argv + i);
    }
    if (rounds < 1 || series.size() < 2 || !argv[argc - 1]) {
        std::fprintf(stderr,
                     "usage: %s ROUNDS PROGRAM [ARGUMENTS...] -- REFERENCE [ARGUMENTS...] "
                     "[-- REFERENCE [ARGUMENTS...]]\n"
                     "       %s --until-exit PROGRAM [ARGUMENTS...]\n",
                     argv[0], argv[0]);
        return 2;
    }
    if (!probe.open())
        return 2;
    return compare(probe, rounds, series);
}
