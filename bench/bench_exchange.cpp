// Times patch creation and the command line's start-up to exit:
//   corvantis-bench-exchange                   BPS and IPS patches of a 256 KiB
//                                              and a 4 MiB image, 64 spells changed
//   corvantis-bench-exchange --startup EDITOR RUNS
//                                              EDITOR --export - IMAGE and --compare of
//                                              two images beside EDITOR --version,
//                                              process start to exit
//   corvantis-bench-exchange --large EDITOR RUNS
//                                              --list and --import of a 16 MiB image:
//                                              time and peak memory
// Prints one line per figure; it never fails on a time, only on a wrong
// result.

#include "BenchSupport.h"
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
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace corvantis;
using corvantis::bench::fail;
using corvantis::bench::randomBytes;

namespace {

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

// Runs a program to its end with its output thrown away, without a
// display, and returns the milliseconds from spawn to exit; its peak memory
// in KiB goes to peak (when given).
double runOnce(const std::vector<const char *> &argv, int expected = 0, long *peak = nullptr) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const char *a : argv)
        args.push_back(const_cast<char *>(a));
    args.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid;
    int status = 0;
    struct rusage usage {};
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != expected)
        fail("the editor did not run to the exit status expected");
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (peak)
        *peak = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

// --list and an --import that saves, of a 16 MiB image: time and peak memory,
// which stays that of a small image (only the tables are read; the save
// copies in pieces).
//
// A child's peak memory counts its parent's at the exec, so this runs in a
// process of its own that never holds the image whole: it is written in
// pieces.
int large(const char *editor, int runs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.nes"));
    QFile file(path);
    const QByteArray start = images(256 * 1024).first;
    bool written = file.open(QIODevice::WriteOnly) && file.write(start) == start.size();
    for (qint64 at = start.size(); written && at < 16 * 1024 * 1024; at += 1024 * 1024)
        written = file.write(randomBytes(1024 * 1024, quint32(at))) == 1024 * 1024;
    if (!written)
        fail("cannot write the benchmark image");
    file.close();
    const QByteArray image = path.toLocal8Bit();
    // Two spell files that set slot 4's Elemental to one value and the
    // other, so that every import changes and saves the image.
    QByteArray spells[2];
    for (int i = 0; i < 2; ++i) {
        spells[i] = dir.filePath(QStringLiteral("s%1.json").arg(i)).toLocal8Bit();
        QFile json(QString::fromLocal8Bit(spells[i]));
        if (!json.open(QIODevice::WriteOnly) ||
            json.write(QByteArrayLiteral("{\"format\": \"corvantis-spells\", \"version\": 1, "
                                         "\"spells\": [{\"slot\": 4, \"elemental\": ") +
                       QByteArray::number(16 * (i + 1)) + "}]}") < 0)
            fail("cannot write the benchmark's spell file");
    }
    std::vector<double> list, import;
    long listPeak = 0, importPeak = 0, peak = 0;
    for (int i = 0; i < runs; ++i) {
        list.push_back(runOnce({editor, "--list", image.constData()}, 0, &peak));
        listPeak = std::max(listPeak, peak);
        import.push_back(
            runOnce({editor, "--import", spells[i % 2].constData(), image.constData()}, 0, &peak));
        importPeak = std::max(importPeak, peak);
    }
    std::printf("%-42s median %7.3f ms  min %7.3f  n=%d  peak %.1f MiB\n",
                "--list of 16 MiB, start to exit", median(list),
                *std::min_element(list.begin(), list.end()), runs, double(listPeak) / 1024);
    std::printf("%-42s median %7.3f ms  min %7.3f  n=%d  peak %.1f MiB\n",
                "--import (saved) of 16 MiB, start to exit", median(import),
                *std::min_element(import.begin(), import.end()), runs, double(importPeak) / 1024);
    return 0;
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

    // Two images of 256 KiB whose 64 spells all differ.
    const QString otherPath = dir.filePath(QStringLiteral("other.nes"));
    QFile other(otherPath);
    if (!other.open(QIODevice::WriteOnly) || other.write(images(256 * 1024 + 16).second) < 0)
        fail("cannot write the benchmark image");
    other.close();
    const QByteArray otherName = otherPath.toLocal8Bit();
    const std::vector<const char *> comparing{editor, "--compare", otherName.constData(),
                                              image.constData()};
    std::vector<double> c;
    for (int i = 0; i < runs; ++i)
        c.push_back(runOnce(comparing, 1));
    std::printf("%-42s median %7.3f ms  min %7.3f  n=%d\n", "--compare of 256 KiB, start to exit",
                median(c), *std::min_element(c.begin(), c.end()), runs);
    std::printf("%-42s %.2f x   (target within 1.5 x: %s)\n", "--compare beside --version",
                median(c) / median(v), median(c) / median(v) <= 1.5 ? "within target" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--startup") == 0)
        return startup(argv[2], std::max(1, std::atoi(argv[3])));
    if (argc == 4 && qstrcmp(argv[1], "--large") == 0)
        return large(argv[2], std::max(1, std::atoi(argv[3])));
    patches("256 KiB", 256 * 1024 + 16, 200, 5.0);
    patches("4 MiB", 4 * 1024 * 1024, 50, 40.0);
    return 0;
}
