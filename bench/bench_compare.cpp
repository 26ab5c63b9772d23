// Times Compare With on a 4 MiB image, from the menu item to the comparison's
// list painted: with a BPS patch that rewrites the whole image (so the patch
// is 4 MiB too) and with another 4 MiB image, each differing in 32 spells;
// and one edit in the main window to the list painted again, which makes the
// comparison with the patch again.
// Prints one line per figure; it never fails on a time, only on a wrong
// result.
//
// Usage: corvantis-bench-compare        run on the offscreen platform

#include "BenchSupport.h"
#include "data/MainModule.h"
#include "exchange/Patch.h"
#include "ui/CompareWindow.h"
#include "ui/mainForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace corvantis;
using corvantis::bench::fail;
using corvantis::bench::writeFile;

namespace {

constexpr qint64 ImageSize = 4 * 1024 * 1024 + 16;

// Random bytes around ordinary records; with changed set, 32 of the spells
// differ in a record byte and the name.
QByteArray image(unsigned seed, bool changed) {
    QByteArray bytes = bench::randomBytes(ImageSize, seed);
    MainModule store;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const bool differs = changed && slot % 2 == 0;
        const quint8 record[FieldCount] = {0x18, 0, quint8(differs ? 0x10 : 0), 1, 1, 176, 32};
        for (int n = 1; n <= FieldCount; ++n)
            store.SpellBytes(slot, n) = record[n - 1];
        store.SpellNames[slot] = QByteArray(NameLength, char(differs ? 0x8B : 0x8A));
    }
    PutRegions(bytes, RegionsOf(store.records()));
    return bytes;
}

void report(const char *what, std::vector<double> ms, double targetMs) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-42s median %7.3f ms  min %7.3f  max %7.3f  n=%-4zu (target < %g ms: %s)\n", what,
                ms[ms.size() / 2], ms.front(), ms.back(), ms.size(), targetMs,
                ms[ms.size() / 2] < targetMs ? "within target" : "MISSED");
}

// Counts the paints of the comparison's list.
class ListPaints : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint && watched->parent() &&
            watched->parent()->objectName() == QLatin1String("tblCompare"))
            ++count;
        return false;
    }
};

// Runs step and returns the milliseconds until the list has painted after it.
double toPainted(const ListPaints &paints, const std::function<void()> &step) {
    const int before = paints.count;
    QElapsedTimer timer;
    timer.start();
    step();
    while (paints.count == before) {
        if (timer.elapsed() > 5000)
            fail("the comparison's list did not paint");
        QApplication::processEvents();
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::installQuietOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("game.nes")),
                  other = dir.filePath(QStringLiteral("other.nes")),
                  patch = dir.filePath(QStringLiteral("other.bps"));
    const QByteArray ours = image(7, false), theirs = image(8, true);
    const QByteArray bps = MakeBpsPatch(ours, theirs);
    if (!dir.isValid() || !writeFile(open, ours) || !writeFile(other, theirs) ||
        !writeFile(patch, bps))
        fail("cannot write the benchmark files");
    std::printf("(the BPS patch: %.2f MiB)\n", double(bps.size()) / (1024 * 1024));
    // What the editor remembers (recent images) stays here.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    bench::CountingPrompter prompter;
    mainForm window(&prompter);
    window.Form_Load(open);
    QApplication::processEvents();
    auto *compare = window.findChild<QAction *>(QStringLiteral("menuFileCompare"));
    auto *elemental = window.findChild<QComboBox *>(QStringLiteral("cbByte3"));
    if (!compare || !elemental)
        fail("the window has no Compare With item");
    ListPaints paints;
    app.installEventFilter(&paints);
    const auto compareWith = [&](const QString &path, const char *name) {
        prompter.next = path;
        const double ms = toPainted(paints, [&] { compare->trigger(); });
        const auto *label = window.findChild<QLabel *>(QStringLiteral("lblCount"));
        if (!label || label->text() != QStringLiteral("32 of 64 spells differ from %1").arg(name))
            fail("the comparison did not show the 32 spells that differ");
        return ms;
    };

    const double first = compareWith(patch, "other.bps");
    std::vector<double> withPatch, withImage, edits;
    for (int i = 0; i < 20; ++i) {
        withPatch.push_back(compareWith(patch, "other.bps"));
        withImage.push_back(compareWith(other, "other.nes"));
    }
    std::printf("%-42s        %7.3f ms  (target < 30 ms: %s)\n",
                "Compare With a 4 MiB BPS, the very first", first,
                first < 30 ? "within target" : "MISSED");
    report("Compare With a 4 MiB BPS (to painted)", withPatch, 30);
    report("Compare With a 4 MiB image (to painted)", withImage, 30);

    // Slot 0's Elemental back and forth: each pick is an edit that the
    // comparison with the patch follows.
    compareWith(patch, "other.bps");
    for (int i = 0; i < 20; ++i)
        edits.push_back(toPainted(paints, [&] { elemental->setCurrentIndex(i % 2 ? 0 : 1); }));
    report("An edit, to the comparison repainted (BPS)", edits, 30);
    if (prompter.questions)
        std::printf("note: the window asked %d question(s) during the run\n", prompter.questions);
    return 0;
}
