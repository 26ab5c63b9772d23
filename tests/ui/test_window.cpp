#include "exchange/Patch.h"
#include "support/EditorHarness.h"
#include "ui/CompareWindow.h"
#include "ui/HelpPage.h"
#include "ui/PathLabel.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTextBrowser>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// Drags data onto target and drops it there; whether the drag was taken.
bool drop(QWidget *target, const QList<QUrl> &urls, const QString &text = {}) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(text);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return enter.isAccepted();
}

struct TakeCase {
    const char *name;
    bool readOnly, byKeyboard;
    Answer answer; // to the question on special slots; Ok: not asked
    QString said;  // the message after Take Spells; empty: none
    int left;      // the rows left in the comparison
};

} // namespace

Q_DECLARE_METATYPE(TakeCase)

class TestWindow : public QObject {
    Q_OBJECT
  private slots:
    // Start-up on an image asks nothing, shows slot 0 and the end of a long
    // path, fixed in size; every slot shows unmarked. Captions name their fields
    // for screen readers, their keys focus them; Tab goes in reading order.
    void startUp() {
        EditorHarness h;
        QByteArray image = randomImage(256 * 1024 + 16, 99);
        setRecord(image, 0, {0x10, 10, 1, 2, 2, 0, 0});
        const QString deep = QStringLiteral("a-folder-name-far-too-long-for-one-line/and-another");
        QVERIFY(QDir(h.folder.path(".")).mkpath(deep));
        h.startOn(image, deep + QStringLiteral("/corvantis hack.nes"));
        QCOMPARE(h.window->focusWidget(), h.combo("cbSpellName"));
        QCOMPARE(h.window->minimumSize(), h.window->maximumSize());
        QCOMPARE(h.combo("cbByte1")->currentText(), "10");
        QCOMPARE(h.edit("txtByte2")->text(), "10");
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged") && !h.shown("cbByte2"));
        const QStringList lines = h.find<PathLabel>("lblFilenameData")->shownLines();
        QVERIFY(lines.size() == 2 && lines[0].startsWith(QChar(0x2026)) &&
                lines[1].endsWith(QStringLiteral("corvantis hack.nes")));
        for (int slot = 63; slot >= 0; --slot) {
            h.select(slot);
            QCOMPARE(h.rawLine(),
                     QString(image.mid(0x301F0 + slot * 8, 7).toHex(' ').toUpper() + ' '));
        }
        h.prompter.expect(texts::NothingChanged, Buttons::Ok, Icon::Information, Answer::Ok);
        h.trigger("menuFileSave"); // no slot shown was changed by showing it

        int named = 0;
        for (QLabel *caption : h.window->findChildren<QLabel *>()) {
            QWidget *field = caption->buddy();
            if (!field)
                continue;
            ++named;
            QVERIFY(field->objectName().endsWith(caption->objectName().mid(3)));
            const QString name = QString(caption->text()).remove('&');
            const QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
            const auto labels = face->relations();
            QVERIFY2(
                face->text(QAccessible::Name) == name ||
                    std::any_of(labels.begin(), labels.end(),
                                [&](auto r) { return r.first->text(QAccessible::Name) == name; }),
                qPrintable(name));
            if (const int key = caption->text().indexOf('&') + 1) {
                h.key("cbSpellName", caption->text().at(key).toUpper().unicode(), Qt::AltModifier);
                QCOMPARE(QApplication::focusWidget(), field);
            }
        }
        QCOMPARE(named, 9);
        QCOMPARE(QAccessible::queryAccessibleInterface(h.combo("cbByte1")->lineEdit())
                     ->text(QAccessible::Name),
                 "First Byte");

        h.pick("cbByte5", "Negative Effect"); // byte 2 as a list
        QStringList visited{"cbSpellName"};
        h.key("cbSpellName", Qt::Key_Tab);
        while (visited.size() < 11) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited,
                 (QStringList{"cbSpellName", "txtName", "txtRaw", "cbByte4", "cbByte5", "cbByte2",
                              "cbByte3", "cbByte6", "cbByte7", "cbByte1", "cbSpellName"}));
    }

    // One file dropped opens as Open does (not text, two files or a folder);
    // the dialog starts in the image's folder. No, a cancel or a failed load
    // keep all as it was; an open replaces it, slot 0 shown, read-only as ticked.
    void open() {
        EditorHarness h;
        QByteArray first = plainImage();
        setRecord(first, 5, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startPicking(first, true);
        QCOMPARE(h.prompter.openFolder, QDir::currentPath());
        QVERIFY(h.shown("lblReadOnly"));
        QVERIFY(h.label("lblFilenameData")->toolTip().endsWith(texts::ReadOnlyTip));
        QByteArray image = plainImage(2);
        setRecord(image, 0, {0x20, 9, 64, 2, 5, 0, 0});
        const QString other = h.folder.add("other.nes", image);
        const QUrl url = QUrl::fromLocalFile(other);
        QVERIFY(!drop(h.window.get(), {}, other) && !drop(h.window.get(), {url, url}) &&
                !drop(h.window.get(), {QUrl::fromLocalFile(h.folder.path("."))}));
        QCOMPARE(h.label("lblFilenameData")->text(), QFileInfo(h.path).canonicalFilePath());

        // Only a special slot's edit changes a read-only image; it is never saved.
        h.select(5);
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.pick("cbByte3", "Ice");
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.trigger("menuFileSave");
        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning, Answer::Yes);
        QVERIFY(drop(h.edit("txtName"), {url}, other));
        h.path = QFileInfo(other).canonicalFilePath();
        QTRY_COMPARE(h.label("lblFilenameData")->text(), h.path);
        QVERIFY(!h.shown("lblReadOnly") && !h.window->store().ReadOnlyROM);
        QVERIFY(!h.label("lblFilenameData")->toolTip().contains(texts::ReadOnlyTip));
        QCOMPARE(h.rawLine(), "20 09 40 02 05 00 00 ");
        QCOMPARE(h.combo("cbByte3")->currentText(), "Lightning");

        h.select(3);
        h.pick("cbByte7", "Red");
        h.folder.add("short.nes", QByteArray(1000, 'x'));
        for (const QString file : {"", "cancel", "missing.nes", "short.nes", "."}) {
            h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning,
                              file.isEmpty() ? Answer::No : Answer::Yes);
            if (file == "cancel") {
                h.prompter.expectOpenCancel();
            } else if (!file.isEmpty()) {
                h.prompter.expectOpen(h.folder.path(file), true);
                h.prompter.expect(texts::ErrorReading, Buttons::Ok, Icon::Critical, Answer::Ok);
            }
            h.trigger("menuFileOpen");
            QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
            QCOMPARE(h.label("lblFilenameData")->text(), h.path);
            QVERIFY(!h.window->store().ReadOnlyROM && !h.shown("lblReadOnly"));
            QVERIFY(h.window->store().SpellChanged[3] && h.shown("lblFileChanged"));
            QCOMPARE(h.combo("cbSpellName")->currentIndex(), 3);
        }
        QCOMPARE(h.prompter.openFolder, QFileInfo(h.path).absolutePath());
        QCOMPARE(h.window->store().SpellBytes(3, 7), 38);
        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning, Answer::Yes);

        h.prompter.expectOpen(h.folder.path("game.nes"), true);
        h.trigger("menuFileOpen");
        QVERIFY(h.window->store().ReadOnlyROM && h.combo("cbSpellName")->currentIndex() == 0);
        QCOMPARE(h.rawLine(), "18 00 00 01 01 B0 20 ");
    }

    // Save writes the link's target, asking about another program's change;
    // Save As's copy is then the open image; Open Recent offers both, opens,
    // clears; a failed write says why; a new start asks in the last folder.
    void save() {
        EditorHarness h;
        QVERIFY(QDir(h.folder.path(".")).mkdir("real") &&
                QFile::link(h.folder.path("real"), h.folder.path("lnk")));
        QByteArray image = plainImage();
        h.path = QFileInfo(h.folder.add("real/x.nes", image)).canonicalFilePath();
        h.window->Form_Load(h.folder.path("lnk/x.nes"));
        h.activate();
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        h.pick("cbByte4", "Self");
        QVERIFY(writeWhole(h.path, QByteArray(image).replace(SpellTableOffset, 1, "B"))); // theirs
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.prompter.expect(texts::ChangedByOther, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.trigger("menuFileSave");
        image[SpellTableOffset + 3] = 4; // ours, theirs replaced
        QVERIFY(h.file() == image && !h.shown("lblFileChanged"));

        h.prompter.files = {{h.folder.path("copy"), 0}};
        h.key("cbSpellName", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        const QString copy = QFileInfo(h.folder.path("copy.nes")).canonicalFilePath();
        QCOMPARE(h.prompter.fileStarts, QStringList{h.path});
        QVERIFY(h.label("lblFilenameData")->text() == copy && readWhole(copy) == image);
        auto *recent = h.find<QMenu>("menuFileRecent");
        const auto entries = [&] {
            emit recent->aboutToShow();
            QStringList texts;
            for (const QAction *a : recent->actions())
                texts << a->text().section("  ", 0, 0);
            return texts.join('|');
        };
        QCOMPARE(entries(), "&1 copy.nes|&2 x.nes||&Clear List");
        QVERIFY(QFile::remove(copy));
        QCOMPARE(entries(), "&1 x.nes||&Clear List");
        recent->actions().constFirst()->trigger();
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);

        h.pick("cbByte3", "Ice");
        QVERIFY(QFile::remove(h.path) && QDir().mkdir(h.path));
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.prompter.expect(texts::ErrorWriting, Buttons::Ok, Icon::Critical, Answer::Ok);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done() && h.shown("lblFileChanged") && h.shown("lblSpellChanged"));
        QCOMPARE(h.prompter.details.last(),
                 "The file was removed or replaced after it was opened.");
        h.trigger("menuFileRecentClear");
        QCOMPARE(entries(), "|&Clear List");
        QCOMPARE(QDir(h.settings + "/corvantis").entryList(QDir::Files),
                 QStringList{"corvantis-spell-editor.conf"});
        mainForm next(&h.prompter);
        h.prompter.expectOpenCancel();
        next.Form_Load();
        QCOMPARE(h.prompter.openFolder, QFileInfo(h.path).absolutePath());
    }

    // A patch from the file to the unsaved edits, and an export of them; the
    // dialogs start at the image with its name.
    void patchExportAndImport() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 5, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startOn(image);
        h.select(3);
        h.pick("cbByte3", "Ice");
        h.prompter.files = {{h.folder.add("original.nes", image), 0}, {h.folder.path("mod"), 1}};
        h.trigger("menuFileCreatePatch");
        // PATCH, one record of one byte at the Elemental of slot 3, EOF.
        QCOMPARE(readWhole(h.folder.path("mod.ips")),
                 "PATCH" + QByteArray::fromHex("03020A000120") + "EOF");
        h.type("txtName", "Q");
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.select(5);
        h.pick("cbByte4", "Self");
        const QString json = h.folder.path("spells"); // the filter adds .json
        h.prompter.files.push_back({json, 0});
        h.trigger("menuFileExport");
        QCOMPARE(h.file(), image);                           // nothing saved
        const QString at = QFileInfo(h.path).absolutePath(); // the dialogs start at the image
        QCOMPARE(h.prompter.fileStarts, (QStringList{at, at + "/game.bps", at + "/game.json"}));
        const MainModule edited = h.window->store();

        // Into the unedited image: the same spells as one step, a special
        // slot asked once; a bad file says where it is wrong.
        EditorHarness g;
        g.startOn(image);
        const QString bad = g.folder.add(
            "bad.json",
            R"({"format": "corvantis-spells", "version": 1, "spells": [{"slot": 64}]})");
        g.prompter.files = {{bad, 0}};
        g.prompter.expect(bad + ": spells[0].slot: 64 is not a slot from 0 to 63", Buttons::Ok,
                          Icon::Critical, Answer::Ok);
        g.trigger("menuFileImport");
        // Cancel imports nothing, No all but the special slot; each says what changed.
        const std::pair<Answer, QString> rows[] = {{Answer::Cancel, {}},
                                                   {Answer::No, "1 spell changed: RUSE."},
                                                   {Answer::Yes, "2 spells changed: RUSE, SLEP."},
                                                   {Answer::Ok, texts::NoSpellChanged}};
        for (const auto &[a, said] : rows) {
            g.prompter.files.push_back({json + ".json", 0});
            if (a != Answer::Ok)
                g.prompter.expect(texts::SpecialSlots, Buttons::YesNoCancel, Icon::Warning, a);
            if (!said.isEmpty())
                g.prompter.expect(said, Buttons::Ok, Icon::Information, Answer::Ok);
            g.trigger("menuFileImport");
            QCOMPARE(g.window->store().FileChanged, a != Answer::Cancel);
            if (a == Answer::No)
                g.trigger("menuEditUndo");
        }
        QVERIFY(g.prompter.done() && g.window->store().records() == edited.records());
        QCOMPARE(g.prompter.fileStarts.first(), QFileInfo(g.path).absolutePath() + "/game.json");
    }

    // Compare With shows the spells that differ from a patch dropped on the
    // window (or says why not), a note a line, differing cells marked. Take
    // Spells, chosen by keyboard too, is one step through the guard; the list
    // follows the session.
    void compareAndTake_data() {
        addRows<TakeCase>({
            {"Yes", false, false, Answer::Yes, "3 spells changed: CURE, HARM, FOG.", 0},
            {"No", false, false, Answer::No, "2 spells changed: CURE, FOG.", 1},
            {"Cancel", false, false, Answer::Cancel, {}, 3},
            {"read-only", true, false, Answer::Ok, texts::ReadOnlyImage, 3},
            {"by keyboard", false, true, Answer::Ok, "1 spell changed: FOG.", 2},
        });
    }
    void compareAndTake() {
        QFETCH(TakeCase, c);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 1, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startPicking(image, c.readOnly);
        QByteArray theirs = image, other = image;
        setRecord(theirs, 0, {0x18, 0, 0x10, 1, 1, 176, 32});
        setRecord(theirs, 1, {0xFF, 0, 0, 2, 1, 176, 32});
        setName(theirs, 2, "\x8F\x98\x90\xFF");
        for (int i = 0x100; i < 0x100 + 1204; ++i)
            theirs[i] = char(theirs[i] ^ 0x55);
        other[0x10] = char(other[0x10] ^ 1); // the patch is made for another image
        const QString patch = h.folder.add("mod.bps", MakeBpsPatch(other, theirs));
        h.prompter.files.push_back({h.folder.add("bad.ips", "PATCH"), 0});
        h.prompter.expect(texts::ErrorReading, Buttons::Ok, Icon::Critical, Answer::Ok);
        h.trigger("menuFileCompare");
        QVERIFY(h.prompter.details.last().startsWith("bad.ips: "));
        QVERIFY(!h.window->findChild<CompareWindow *>());
        QVERIFY(drop(h.window.get(), {QUrl::fromLocalFile(patch)}));
        auto *compare = h.window->findChild<CompareWindow *>("CompareWindow");
        QVERIFY(compare && compare->isVisible());
        QCOMPARE(compare->findChild<QLabel *>("lblCount")->text(),
                 "3 of 64 spells differ from mod.bps");
        const QString notes = compare->findChild<QLabel *>("lblNotes")->text();
        QVERIFY2(notes.startsWith("This patch was made for another image (CRC32 ") &&
                     notes.count('\n') == 1 && notes.contains("\nThe patch also changes 1,204 "),
                 qPrintable(notes));
        const QAbstractItemModel *rows = compare->view()->model();
        const QModelIndex name = rows->index(0, CompareModel::FirstCompared),
                          elemental = rows->index(0, CompareModel::FirstCompared + 3);
        QCOMPARE(elemental.data().toString(), "No Elemental → Fire");
        QVERIFY(elemental.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(elemental.data(Qt::AccessibleDescriptionRole).toString(), "differs");
        QCOMPARE(name.data().toString(), "AAAA");
        QVERIFY(!name.data(Qt::AccessibleDescriptionRole).isValid());

        if (c.answer != Answer::Ok)
            h.prompter.expect(texts::SpecialSlots, Buttons::YesNoCancel, Icon::Warning, c.answer);
        if (c.said == texts::ReadOnlyImage)
            h.prompter.expect(c.said, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        else if (!c.said.isEmpty())
            h.prompter.expect(c.said, Buttons::Ok, Icon::Information, Answer::Ok);
        if (c.byKeyboard) { // leaves CURE and HARM out
            QVERIFY(QTest::qWaitForWindowActive(compare));
            QTest::keyClick(compare->view(), Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyClick(compare->view(), Qt::Key_Space);
            QCOMPARE(compare->chosen(), QList{2});
            QTest::keyClick(compare->view(), Qt::Key_T, Qt::AltModifier); // clicks after a moment
        } else {
            compare->findChild<QPushButton *>("cmdTake")->click();
        }
        QTRY_VERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QTRY_COMPARE(rows->rowCount(), c.left);
        QCOMPARE(h.window->store().FileChanged, c.left < 3);
        if (c.answer == Answer::Cancel) { // the second pick leaves the marks as they are
            h.select(0);
            h.pick("cbByte3", "Ice");
            h.pick("cbByte3", "Fire");
            QTRY_COMPARE(rows->rowCount(), 2);
        }
        if (c.left == 3)
            return;
        QCOMPARE(h.actionText("menuEditUndo"),
                 "&Undo " + reasons::StepFrom("Take", 3 - c.left, "mod.bps"));
        h.trigger("menuEditUndo");
        QTRY_COMPARE(rows->rowCount(), 3);
    }

    // F1 anywhere opens the page found first in the current, the program's,
    // then the data folder: the desktop's viewer, else a window of our own.
    // About is one modal box for Enter and Escape, the icon pixel for pixel.
    void helpAndAbout() {
        EditorHarness h;
        h.startOn(plainImage());
        const QString page = h.folder.add(HelpPageName, "<p>Spells</p>");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(h.folder.path(".")));
        QList<QUrl> opened;
        bool desktopShows = true;
        h.window->setHelpOpener([&](const QUrl &url) { return opened << url, desktopShows; });
        h.key("cbByte3", Qt::Key_F1);
        h.trigger("menuViewAllSpells");
        auto *table = h.window->findChild<QWidget *>("AllSpellsWindow");
        QTRY_COMPARE(QApplication::activeWindow(), table);
        QTest::keyClick(table->focusWidget(), Qt::Key_F1);
        desktopShows = false;
        h.trigger("menuHelpContents");
        h.key("txtName", Qt::Key_F1);
        QDir::setCurrent(before);
        QCOMPARE(opened.size(), 4);
        QCOMPARE(QFileInfo(opened.last().toLocalFile()), QFileInfo(page));
        const auto shown = h.window->findChildren<QTextBrowser *>("helpWindow");
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.front()->isVisible() && shown.front()->isWindow());
        QCOMPARE(shown.front()->toPlainText(), "Spells");
        QTRY_COMPARE(QApplication::activeWindow(), shown.front()); // its keys are the table's
        QTest::keySequence(shown.front(), QKeySequence(Qt::CTRL | Qt::Key_W));
        QVERIFY(!shown.front()->isVisible());

        QStringList dirs;
        for (const char *name : {"current", "program", "data"})
            QVERIFY(QDir().mkpath(dirs.emplace_back(h.folder.path(name))));
        const auto in = [&](int i) { return QDir(dirs[i]).filePath(HelpPageName); };
        QCOMPARE(FindHelpPage(dirs[0], dirs[1], dirs[2]), QString());
        QVERIFY(QDir().mkdir(in(0)) && writeWhole(in(2), "<html/>"));
        QCOMPARE(FindHelpPage(dirs[0], dirs[1], dirs[2]), in(2));
        QVERIFY(writeWhole(in(1), "<html/>"));
        QCOMPARE(FindHelpPage(dirs[0], dirs[1], dirs[2]), in(1));
        QCOMPARE(FindHelpPage(QString(), QString(), dirs[2]), in(2));

        QList<QWidget *> seen;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            whenModal(h.window.get(), [&](QWidget *box) {
                seen << box;
                QCOMPARE(box->objectName(), "aboutForm");
                QCOMPARE(box->parentWidget(), h.window.get());
                box->activateWindow();
                QCoreApplication::processEvents();
                QCOMPARE(QApplication::focusWidget(), box->findChild<QPushButton *>("cmdOK"));
                QTest::keyClick(QApplication::focusWidget(), key);
                QVERIFY(!box->isVisible());
                QCOMPARE(qobject_cast<QDialog *>(box)->result(),
                         key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
            });
            h.trigger("menuHelpAbout");
        }
        QVERIFY(seen.size() == 2 && seen[0] == seen[1]); // one box, shown twice
        QVERIFY(!h.window->store().FileChanged);
        const QImage picture = aboutForm().findChild<QLabel *>("Image1")->pixmap().toImage();
        const QImage icon = ProgramIconPixmap(32).toImage();
        QCOMPARE(picture.size(), QSize(64, 64));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                QVERIFY(picture.pixel(x, y) == icon.pixel(x / 2, y / 2));
        // The window's icon at each size is the one installed for the desktop.
        const auto argb = [](const QImage &image) {
            return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        for (int size : {16, 32, 48, 64, 128})
            QVERIFY2(
                argb(ProgramIcon().pixmap(size).toImage()) ==
                    argb(QImage(QStringLiteral(CORVANTIS_ICONS "/corvantis-spell-editor-%1.png")
                                    .arg(size))),
                qPrintable(QString::number(size)));
    }

    // At 9 (the window 294 x 397), 12 and 14 pt every caption, item and About
    // text fits its control, and no two About texts cover each other.
    void textsFitLargeFonts() {
        const QFont usual = QApplication::font();
        const auto inked = [](QLabel *l) {
            const QSize text(l->fontMetrics().horizontalAdvance(l->text()),
                             l->fontMetrics().height());
            return QStyle::alignedRect(l->layoutDirection(), l->alignment(), text, l->geometry());
        };
        for (int points : {9, 12, 14}) {
            QApplication::setFont(QFont(usual.family(), points));
            EditorHarness h;
            h.startOn(plainImage());
            if (points == 9)
                QCOMPARE(h.window->centralWidget()->size(), QSize(294, 397));
            QCOMPARE(h.combo("cbByte3")->font().pointSizeF(), std::max(9, points));
            for (QLabel *label : h.window->findChildren<QLabel *>()) {
                if (label->wordWrap())
                    continue;
                const QString text = QString(label->text()).remove('&');
                QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->width() &&
                             label->fontMetrics().height() <= label->height(),
                         qPrintable(text));
            }
            for (QComboBox *box : h.window->findChildren<QComboBox *>()) {
                QStyleOptionComboBox option;
                option.initFrom(box);
                const QRect room = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                                QStyle::SC_ComboBoxEditField, box);
                for (int i = 0; i < box->count(); ++i)
                    QVERIFY2(box->fontMetrics().horizontalAdvance(box->itemText(i)) <= room.width(),
                             qPrintable(box->itemText(i)));
            }
            aboutForm about;
            const QList<QLabel *> labels = about.findChildren<QLabel *>();
            for (QLabel *a : labels) {
                QVERIFY2(inked(a).width() <= a->width() && a->geometry().left() >= 0 &&
                             a->geometry().right() < about.width(),
                         qPrintable(a->objectName()));
                for (QLabel *b : labels)
                    QVERIFY2(a == b || a->text().isEmpty() || b->text().isEmpty() ||
                                 !inked(a).intersects(inked(b)),
                             qPrintable(a->objectName() + ' ' + b->objectName()));
            }
        }
        QApplication::setFont(usual);
    }

    // The real message box: title, text, detail, icon, buttons, the first one
    // default. The real open dialog: its filter, and the read-only box
    // unticked at every showing and ticked by its access key.
    void realDialogs() {
        DialogPrompter prompter;
        QWidget owner;
        const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Question,
                                           QMessageBox::Warning, QMessageBox::Critical};
        const struct {
            Buttons buttons;
            Icon icon;
            QMessageBox::StandardButton press; // NoButton: Enter
            Answer answer;
        } rows[] = {{Buttons::Ok, Icon::Critical, QMessageBox::NoButton, Answer::Ok},
                    {Buttons::OkCancel, Icon::Warning, QMessageBox::Cancel, Answer::Cancel},
                    {Buttons::YesNo, Icon::Question, QMessageBox::NoButton, Answer::Yes},
                    {Buttons::YesNo, Icon::Information, QMessageBox::No, Answer::No},
                    {Buttons::YesNoCancel, Icon::Warning, QMessageBox::Cancel, Answer::Cancel}};
        for (const auto &r : rows) {
            whenModal(&owner, [&](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), texts::AppTitle);
                QCOMPARE(box->text(), texts::UnsavedQuit);
                QCOMPARE(box->informativeText(),
                         r.buttons == Buttons::Ok ? "Input/output error." : "");
                QCOMPARE(box->icon(), icons[int(r.icon)]);
                const bool yes = r.buttons == Buttons::YesNo || r.buttons == Buttons::YesNoCancel;
                QCOMPARE(box->defaultButton(),
                         box->button(yes ? QMessageBox::Yes : QMessageBox::Ok));
                QCOMPARE(box->buttons().size(), (QList{1, 2, 2, 3}).at(int(r.buttons)));
                if (r.press != QMessageBox::NoButton)
                    box->button(r.press)->click();
                else
                    QTest::keyClick(box, Qt::Key_Return);
            });
            QCOMPARE(r.buttons == Buttons::Ok
                         ? prompter.askWithDetail(nullptr, texts::UnsavedQuit,
                                                  "Input/output error.", r.buttons, r.icon)
                         : prompter.ask(nullptr, texts::UnsavedQuit, r.buttons, r.icon),
                     r.answer);
        }
        ImageFolder folder;
        const QString path = folder.add("game.nes", "x");
        for (bool tick : {true, false}) {
            whenModal(&owner, [&](QWidget *modal) {
                auto *dialog = qobject_cast<QFileDialog *>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->nameFilters(), QStringList{texts::OpenFilter});
                QCOMPARE(dialog->directory(), QFileInfo(path).absoluteDir());
                auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("openReadOnly"));
                QVERIFY(box && !box->isChecked());
                if (tick) {
                    dialog->activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(dialog));
                    QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
                }
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            });
            const auto choice = prompter.chooseImage(&owner, QFileInfo(path).absolutePath());
            QVERIFY(choice && choice->path == path && choice->readOnly == tick);
        }
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
