// Times patch creation and the command line's start-up to exit:
//   corvantis-bench-exchange                   BPS and IPS patches of a 256 KiB
//                                              and a 4 MiB image, 64 spells changed
//   corvantis-bench-exchange --startup EDITOR RUNS
//                                              EDITOR --export - IMAGE beside
//                                              EDITOR --version, process start to exit
// Prints one line per figure; it never fails on a time, only on a wrong
// result.

#include "data/MainModule.h"
#include "exchange/Patch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace corvantis;

namespace {

QByteArray randomBytes(qint64 size, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(byte(rng));
    return bytes;
}

// An image of that size with ordinary records and names "AAAA", and the same
// image with all 64 spells changed: a record byte and the name of each.
std::pair<QByteArray, QByteArray> images(qint64 size) {
    MainModule store;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const quint8 record[FieldCount] = {0x18, 0, 0, 1, 1, 176, 32};
        for (int n = 1; n <= FieldCount; ++n)
            store.SpellBytes(slot, n) = record[n - 1];
        store.SpellNames[slot] = QByteArray(NameLength, char(0x8A));
    }
    QByteArray original = randomBytes(size, 7);
    PutRegions(original, RegionsOf(store.records()));
    for (int slot = 0; slot < SlotCount; ++slot) {
        store.SpellBytes(slot, 3) = quint8(1 << (slot % 8));
        store.SpellNames[slot] = QByteArray(NameLength, char(0x8A + slot % 26));
    }
    QByteArray target = original;
    PutRegions(target, RegionsOf(store.records()));
    return {original, target};
}

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(1);
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void report(const char *what, std::vector<double> ms, double targetMs) {
    std::sort(ms.begin(), ms.end());
    const double mid = ms[ms.size() / 2];
    std::printf("%-42s median %7.3f ms  min %7.3f  max %7.3f  n=%-4zu (target < %g ms: %s)\n", what,
                mid, ms.front(), ms.back(), ms.size(), targetMs,
                mid < targetMs ? "within target" : "MISSED");
}

std::vector<double> timeRuns(int runs, const std::function<void()> &step) {
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        step();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

void patches(const char *label, qint64 size, int runs, double targetMs) {
    const auto [original, target] = images(size);
    for (const PatchFormat format : {PatchFormat::Bps, PatchFormat::Ips}) {
        QByteArray patch;
        const auto ms = timeRuns(runs, [&] { patch = *MakePatch(format, original, target); });
        // 64 records and 64 names: far below a kilobyte of changes each.
        if (patch.size() < 16 || patch.size() > 4096)
            fail("a patch came out of a size that cannot be right");
        char what[64];
        std::snprintf(what, sizeof what, "%s patch, %s, 64 spells changed",
                      format == PatchFormat::Bps ? "BPS" : "IPS", label);
        report(what, ms, targetMs);
    }
}

// Runs a program to its end with standard output thrown away, without a
// display, and returns the milliseconds from spawn to exit.
double runOnce(const std::vector<const char *> &argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const char *a : argv)
        args.push_back(const_cast<char *>(a));
    args.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("the editor did not run to a clean exit");
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

int startup(const char *editor, int runs) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.nes"));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(images(256 * 1024 + 16).first) < 0)
        fail("cannot write the benchmark image");
    file.close();
    const QByteArray image = path.toLocal8Bit();
    const std::vector<const char *> version{editor, "--version"};
    const std::vector<const char *> exporting{editor, "--export", "-", image.constData()};
    runOnce(version); // warm-up: the libraries come into the page cache
    runOnce(exporting);
    std::vector<double> v, e;
    for (int i = 0; i < runs; ++i) {
        v.push_back(runOnce(version));
        e.push_back(runOnce(exporting));
    }
    const double ratio = median(e) / median(v);
    std::printf("%-42s median %7.3f ms  min %7.3f  n=%d\n", "--version, start to exit", median(v),
                *std::min_element(v.begin(), v.end()), runs);
    std::printf("%-42s median %7.3f ms  min %7.3f  n=%d\n", "--export - of 256 KiB, start to exit",
                median(e), *std::min_element(e.begin(), e.end()), runs);
    std::printf("%-42s %.2f x   (target within 1.5 x: %s)\n", "--export - beside --version", ratio,
                ratio <= 1.5 ? "within target" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--startup") == 0)
        return startup(argv[2], std::max(1, std::atoi(argv[3])));
    patches("256 KiB", 256 * 1024 + 16, 200, 5.0);
    patches("4 MiB", 4 * 1024 * 1024, 50, 40.0);
    return 0;
}
