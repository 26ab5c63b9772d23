#include "support/EditorHarness.h"
#include "tools/DemoImage.h"
#include "ui/PathLabel.h"
#include "ui/Texts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace corvantis;
using namespace corvantis::test;

namespace {

const char *const Fields[] = {"cbByte1", "cbByte3", "cbByte4", "cbByte5", "cbByte6", "cbByte7"};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() {}

    void startsOnTheImageGivenAndShowsSlotZero() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {24, 0, 0, 1, 1, 176, 32});
        h.startOn(image);
        QVERIFY(h.prompter.messages.isEmpty());
        QCOMPARE(h.prompter.openDialogs, 0);
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 0);
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        QCOMPARE(h.window->focusWidget(), h.combo("cbSpellName"));
        QVERIFY(!h.window->store().ReadOnlyROM);
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
        QCOMPARE(h.combo("cbByte1")->currentText(), QStringLiteral("18 Damaging"));
        QCOMPARE(h.combo("cbByte3")->currentText(), QStringLiteral("No Elemental"));
        QCOMPARE(h.combo("cbByte4")->currentText(), QStringLiteral("All Enemies"));
        QCOMPARE(h.combo("cbByte5")->currentText(), QStringLiteral("Damage"));
        QCOMPARE(h.combo("cbByte6")->currentText(), QStringLiteral("Bar of Light"));
        QCOMPARE(h.combo("cbByte7")->currentText(), QStringLiteral("Gray"));
        QVERIFY(h.shown("txtByte2") && !h.shown("cbByte2"));
        QCOMPARE(h.edit("txtByte2")->text(), QStringLiteral("0"));
        QCOMPARE(h.rawLine(), QStringLiteral("18 00 00 01 01 B0 20 "));
        QCOMPARE(h.edit("txtName")->text(), QStringLiteral("AAAA"));
    }

    void cancelAtStartUpLeavesTheEmptyWindow() {
        EditorHarness h;
        h.prompter.expectOpenCancel();
        h.window->Form_Load();
        QVERIFY(h.prompter.done());
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.label("lblFilenameData")->text(), QString());
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), -1);
        QCOMPARE(h.combo("cbSpellName")->count(), 64);
        QCOMPARE(h.window->focusWidget(), h.combo("cbSpellName"));
        QCOMPARE(h.combo("cbByte1")->currentText(), QStringLiteral("cbByte1"));
        for (const char *name : Fields)
            QCOMPARE(h.combo(name)->currentIndex(), -1);
        QCOMPARE(h.rawLine(), QString());

        // Picks in the lists with no image touch no table.
        h.pick("cbByte3", "Fire");
        h.pick("cbByte1", "FF Non-combat");
        QVERIFY(!h.window->store().FileChanged);
        QVERIFY(h.prompter.messages.isEmpty());
    }

    // A cancelled open dialog over a loaded, edited image changes nothing.
    void cancelWithAnImageKeepsIt() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        h.select(6);
        h.prompter.expectOpenCancel();
        h.trigger("menuFileOpen");
        QVERIFY(h.prompter.done());
        QVERIFY(h.prompter.messages.isEmpty());
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        QVERIFY(h.window->store().ReadOnlyROM);
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 6);

        EditorHarness w;
        w.startOn(plainImage());
        w.pick("cbByte7", "Aqua");
        w.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning, Answer::Yes);
        w.prompter.expectOpenCancel();
        w.trigger("menuFileOpen");
        QVERIFY(w.prompter.done());
        QVERIFY(w.window->store().FileChanged && w.shown("lblFileChanged"));
        QCOMPARE(w.window->store().SpellBytes(0, 7), quint8(34));
        QCOMPARE(w.label("lblFilenameData")->text(), w.path);
    }

    // A long path keeps its file name in view; the label's text stays whole.
    void longPathShowsItsFileName() {
        EditorHarness h;
        const QString deep =
            QStringLiteral("a-folder-name-far-too-long-for-one-line/and-another-one/"
                           "and-a-third-one-to-be-sure");
        QVERIFY(QDir(h.folder.path(".")).mkpath(deep));
        h.startOn(plainImage(), deep + QStringLiteral("/corvantis hack.nes"));
        auto *label = h.window->findChild<PathLabel *>(QStringLiteral("lblFilenameData"));
        QVERIFY(label);
        QCOMPARE(label->text(), h.path);
        const QStringList lines = label->shownLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.first().startsWith(QChar(0x2026)));
        QVERIFY(h.path.endsWith(lines.join(QString()).mid(1)));
        QVERIFY(lines.last().endsWith(QStringLiteral("corvantis hack.nes")));

        // A short path is shown whole.
        h.prompter.expectOpen(h.folder.add(QStringLiteral("a.nes"), plainImage()));
        h.trigger("menuFileOpen");
        QCOMPARE(label->shownLines().join(QString()), label->text());
    }

    void readOnlyBoxIsTakenAtEveryOpen() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        QVERIFY(h.window->store().ReadOnlyROM);
        h.prompter.expectOpen(h.path, false);
        h.trigger("menuFileOpen");
        QVERIFY(h.prompter.done());
        QVERIFY(!h.window->store().ReadOnlyROM);
    }

    void openOverUnsavedChanges_data() {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("answered No") << false;
        QTest::newRow("answered Yes") << true;
    }
    void openOverUnsavedChanges() {
        QFETCH(bool, goOn);
        EditorHarness h;
        h.startOn(plainImage());
        h.pick("cbByte3", "Fire");
        QVERIFY(h.window->store().FileChanged);

        QByteArray other = plainImage(2);
        setRecord(other, 0, {0x20, 9, 64, 2, 5, 0, 0});
        const QString otherPath = h.folder.add("other.nes", other);
        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning,
                          goOn ? Answer::Yes : Answer::No);
        if (goOn)
            h.prompter.expectOpen(otherPath);
        h.trigger("menuFileOpen");
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.prompter.openDialogs, goOn ? 1 : 0);
        if (goOn) {
            QCOMPARE(h.label("lblFilenameData")->text(), otherPath);
            QVERIFY(!h.window->store().FileChanged);
            QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
            // Slot 0 was already selected and is shown afresh.
            QCOMPARE(h.rawLine(), QStringLiteral("20 09 40 02 05 00 00 "));
            QCOMPARE(h.combo("cbByte3")->currentText(), QStringLiteral("Lightning"));
        } else {
            QCOMPARE(h.label("lblFilenameData")->text(), h.path);
            QVERIFY(h.window->store().FileChanged);
            QCOMPARE(h.combo("cbByte3")->currentText(), QStringLiteral("Fire"));
        }
    }

    void failedOpenKeepsThePreviousImage_data() {
        QTest::addColumn<QString>("bad");
        QTest::newRow("missing file") << "missing.nes";
        QTest::newRow("too short") << "short.nes";
        QTest::newRow("a folder") << ".";
    }
    void failedOpenKeepsThePreviousImage() {
        QFETCH(QString, bad);
        EditorHarness h;
        h.startOn(plainImage());
        h.select(3);
        h.pick("cbByte7", "Red");
        h.folder.add("short.nes", QByteArray(1000, 'x'));

        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.prompter.expectOpen(h.folder.path(bad), true);
        h.prompter.expect(texts::ErrorReading, Buttons::Ok, Icon::Critical, Answer::Ok);
        h.trigger("menuFileOpen");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        QVERIFY(!h.window->store().ReadOnlyROM);
        QVERIFY(h.window->store().FileChanged);
        QVERIFY(h.window->store().SpellChanged[3]);
        QCOMPARE(h.window->store().SpellBytes(3, 7), quint8(38));
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 3);

        // The edit still goes into the image it came from.
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        QCOMPARE(quint8(h.file()[0x301F0 + 3 * 8 + 6]), quint8(38));
    }

    void saveWithNothingChangedOnlySaysSo() {
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        h.prompter.expect(texts::NothingChanged, Buttons::Ok, Icon::Information, Answer::Ok);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.file(), image);
    }

    void saveAnsweredNoKeepsEverything() {
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image, QStringLiteral("with spaces in name.nes"));
        h.pick("cbByte4", "Self");
        h.prompter.expect(QStringLiteral("Make changes to file \"") + h.path +
                              QStringLiteral("\"?"),
                          Buttons::YesNo, Icon::Question, Answer::No);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.file(), image);
        QVERIFY(h.window->store().FileChanged && h.shown("lblFileChanged"));

        h.prompter.expect(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning, Answer::No);
        h.trigger("menuFileExit");
        QVERIFY(h.prompter.done());
        QVERIFY(h.window->isVisible());
    }

    void saveAnsweredYesWritesAndClearsTheMarks() {
        EditorHarness h;
        h.startOn(plainImage());
        h.pick("cbByte4", "Self");
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done());
        QCOMPARE(quint8(h.file()[0x301F0 + 3]), quint8(4));
        QVERIFY(!h.window->store().FileChanged && !h.window->store().SpellChanged[0]);
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
        // Nothing left unsaved: Exit asks nothing.
        h.trigger("menuFileExit");
        QVERIFY(!h.window->isVisible());
    }

    void failedSaveKeepsTheMarks() {
        EditorHarness h;
        h.startOn(plainImage());
        h.pick("cbByte4", "Self");
        // The image has gone, and a folder stands in its place.
        QVERIFY(QFile::remove(h.path));
        QVERIFY(QDir().mkdir(h.path));
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.prompter.expect(texts::ErrorWriting, Buttons::Ok, Icon::Critical, Answer::Ok);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done());
        QVERIFY(h.window->store().FileChanged && h.shown("lblFileChanged"));
        QVERIFY(h.window->store().SpellChanged[0] && h.shown("lblSpellChanged"));
    }

    void saveOfAReadOnlyImageWritesNothing() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startPicking(image, true);
        // A special slot lets an edit through after its question, read-only or not.
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.pick("cbByte4", "Self");
        QVERIFY(h.window->store().FileChanged);
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.trigger("menuFileSave");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.file(), image);
        QVERIFY(h.window->store().FileChanged && h.shown("lblFileChanged"));
    }

    void exitAndCloseBox_data() {
        QTest::addColumn<bool>("viaCloseBox");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<bool>("ends");
        QTest::newRow("Exit, nothing changed") << false << false << false << true;
        QTest::newRow("Exit, changed, No") << false << true << false << false;
        QTest::newRow("Exit, changed, Yes") << false << true << true << true;
        QTest::newRow("close box, nothing changed") << true << false << false << true;
        QTest::newRow("close box, changed, No") << true << true << false << false;
        QTest::newRow("close box, changed, Yes") << true << true << true << true;
    }
    void exitAndCloseBox() {
        QFETCH(bool, viaCloseBox);
        QFETCH(bool, changed);
        QFETCH(bool, answerYes);
        QFETCH(bool, ends);
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        if (changed) {
            h.pick("cbByte6", "Stars");
            h.prompter.expect(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning,
                              answerYes ? Answer::Yes : Answer::No);
        }
        if (viaCloseBox)
            h.window->close();
        else
            h.trigger("menuFileExit");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->isVisible(), !ends);
        QCOMPARE(h.window->store().FileChanged, changed);
        // Leaving never saves.
        QCOMPARE(h.file(), image);
    }

    void showsEveryKindOfValue_data() {
        QTest::addColumn<QList<int>>("record");
        QTest::addColumn<QStringList>("shown"); // bytes 1, 3, 4, 5, 6, 7
        QTest::addColumn<QString>("byte2");     // number text, or the list's item
        QTest::addColumn<int>("byte2Items");    // 0 for the number box
        QTest::addColumn<QString>("raw");
        QTest::newRow("unlisted First Byte")
            << QList<int>{16, 10, 1, 2, 2, 0, 0}
            << QStringList{"10",        "Magic Effect", "One Enemy", "Damage only Undead",
                           "No Sprite", "No Palette"}
            << "10" << 0 << "10 0A 01 02 02 00 00 ";
        QTest::newRow("invalid everywhere")
            << QList<int>{5, 255, 3, 0, 6, 240, 31} << QStringList{"5",
                                                                   "Invalid Value",
                                                                   "Invalid Value",
                                                                   "Invalid Value",
                                                                   "Invalid Value",
                                                                   "Invalid Value"}
            << "255" << 0 << "05 FF 03 00 06 F0 1F ";
        QTest::newRow("negative effect")
            << QList<int>{255, 8, 128, 16, 3, 232, 44}
            << QStringList{"FF Non-combat",   "Earth",          "One Ally",
                           "Negative Effect", "Sparkling Hand", "Whitish"}
            << "Dark" << 9 << "FF 08 80 10 03 E8 2C ";
        QTest::newRow("positive effect")
            << QList<int>{0, 8, 0, 8, 8, 0, 0}
            << QStringList{"00 White",        "No Elemental", "All Allies",
                           "Positive Effect", "No Sprite",    "No Palette"}
            << "Cure Blind" << 6 << "00 08 00 08 08 00 00 ";
        QTest::newRow("elemental resist, invalid byte 2")
            << QList<int>{0x6B, 8, 0, 1, 10, 0, 0}
            << QStringList{"6B High-Level",    "No Elemental", "All Enemies",
                           "Elemental Resist", "No Sprite",    "No Palette"}
            << "Invalid Value" << 6 << "6B 08 00 01 0A 00 00 ";
        QTest::newRow("stronger negatives")
            << QList<int>{0x28, 16, 0, 1, 18, 0, 0}
            << QStringList{"28 BANE, QUAK",      "No Elemental", "All Enemies",
                           "Stronger Negatives", "No Sprite",    "No Palette"}
            << "Stun" << 4 << "28 10 00 01 12 00 00 ";
    }
    void showsEveryKindOfValue() {
        QFETCH(QList<int>, record);
        QFETCH(QStringList, shown);
        QFETCH(QString, byte2);
        QFETCH(int, byte2Items);
        QFETCH(QString, raw);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 9,
                  {record[0], record[1], record[2], record[3], record[4], record[5], record[6]});
        h.startOn(image);
        h.select(9);
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 9);
        const char *order[] = {"cbByte1", "cbByte3", "cbByte4", "cbByte5", "cbByte6", "cbByte7"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(h.combo(order[i])->currentText(), shown[i]);
        // An unlisted First Byte is shown as text with no item selected.
        QCOMPARE(h.combo("cbByte1")->currentIndex() < 0, shown[0].size() < 3);
        QCOMPARE(h.shown("cbByte2"), byte2Items > 0);
        QCOMPARE(h.shown("txtByte2"), byte2Items == 0);
        if (byte2Items) {
            QCOMPARE(h.combo("cbByte2")->count(), byte2Items);
            QCOMPARE(h.combo("cbByte2")->currentText(), byte2);
        } else {
            QCOMPARE(h.edit("txtByte2")->text(), byte2);
        }
        QCOMPARE(h.rawLine(), raw);
        // Showing is not editing.
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(!h.window->store().FileChanged);
        for (int n = 1; n <= 7; ++n)
            QCOMPARE(int(h.window->store().SpellBytes(9, n)), record[n - 1]);
    }

    // The demo image holds every way a field can show; random bytes hold
    // mostly invalid ones.
    void everySlotShowsWithoutEditing_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::newRow("demo image") << MakeDemoImage();
        QTest::newRow("random bytes") << randomImage(256 * 1024 + 16, 77);
    }
    void everySlotShowsWithoutEditing() {
        QFETCH(QByteArray, image);
        EditorHarness h;
        h.startOn(image);
        for (int slot = 0; slot < 64; ++slot) {
            h.select(slot);
            QCOMPARE(h.combo("cbSpellName")->currentIndex(), slot);
            QCOMPARE(h.rawLine().size(), 21);
            QVERIFY(!h.shown("lblSpellChanged"));
        }
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(!h.window->store().FileChanged);
        h.prompter.expect(texts::NothingChanged, Buttons::Ok, Icon::Information, Answer::Ok);
        h.trigger("menuFileSave");
        QCOMPARE(h.file(), image);
    }

    void byte2FollowsTheEffect() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0, 8, 0, 1, 3, 0, 0});
        h.startOn(image);
        QVERIFY(h.shown("cbByte2"));
        QCOMPARE(h.combo("cbByte2")->count(), 9);
        QCOMPARE(h.combo("cbByte2")->currentText(), QStringLiteral("Dark"));
        h.pick("cbByte5", "Damage");
        QVERIFY(h.shown("txtByte2") && !h.shown("cbByte2"));
        QCOMPARE(h.edit("txtByte2")->text(), QStringLiteral("8"));
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.shown("cbByte2") && !h.shown("txtByte2"));
        QCOMPARE(h.combo("cbByte2")->count(), 9);
        QCOMPARE(h.combo("cbByte2")->currentText(), QStringLiteral("Dark"));
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(8));
    }

    void markedSlotShowsItsLabel() {
        EditorHarness h;
        h.startOn(plainImage());
        h.select(5);
        h.pick("cbByte3", "Ice");
        QVERIFY(h.shown("lblSpellChanged") && h.shown("lblFileChanged"));
        h.select(6);
        QVERIFY(!h.shown("lblSpellChanged") && h.shown("lblFileChanged"));
        h.select(5);
        QVERIFY(h.shown("lblSpellChanged"));
    }

    void layout() {
        EditorHarness h;
        h.prompter.expectOpenCancel();
        // Before the load: the initial visibility.
        QVERIFY(!h.shown("txtByte2") && !h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
        QVERIFY(h.shown("cbByte2"));
        QCOMPARE(h.combo("cbByte1")->currentText(), QStringLiteral("cbByte1"));
        h.window->Form_Load();

        QCOMPARE(h.window->windowTitle(), texts::AppTitle);
        QCOMPARE(h.window->minimumSize(), h.window->maximumSize());
        QVERIFY(!(h.window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(h.window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(h.window->centralWidget()->size(), QSize(294, 397));

        struct Place {
            const char *name;
            QRect rect; // twips / 15
        };
        const Place places[] = {
            {"lbFilename", {16, 8, 81, 17}},      {"lblFilenameData", {120, 8, 161, 33}},
            {"lblFileChanged", {0, 32, 113, 17}}, {"cbSpellName", {16, 80, 81, 23}},
            {"txtName", {112, 80, 169, 25}},      {"lblSpellChanged", {0, 112, 113, 17}},
            {"txtRaw", {112, 136, 169, 25}},      {"lblRaw", {16, 144, 81, 17}},
            {"cbByte4", {112, 168, 169, 23}},     {"lblByte4", {16, 176, 81, 17}},
            {"cbByte5", {112, 200, 169, 23}},     {"lblByte5", {16, 208, 81, 17}},
            {"cbByte2", {112, 232, 169, 23}},     {"txtByte2", {112, 232, 169, 23}},
            {"lblByte2", {16, 240, 81, 17}},      {"cbByte3", {112, 264, 169, 23}},
            {"lblByte3", {16, 272, 81, 17}},      {"cbByte6", {112, 296, 169, 23}},
            {"lblByte6", {16, 304, 81, 17}},      {"cbByte7", {112, 328, 169, 23}},
            {"lblByte7", {16, 336, 81, 17}},      {"cbByte1", {112, 360, 169, 23}},
            {"lblByte1", {16, 368, 81, 17}},
        };
        for (const Place &p : places) {
            QWidget *w = h.window->findChild<QWidget *>(QLatin1String(p.name));
            QVERIFY2(w, p.name);
            QCOMPARE(w->geometry(), p.rect);
            if (auto *label = qobject_cast<QLabel *>(w)) {
                // Every caption fits its label.
                QVERIFY2(label->sizeHint().width() <= p.rect.width() || label->wordWrap(), p.name);
            }
        }
        QVERIFY(h.edit("txtRaw")->isReadOnly());
        QVERIFY(h.combo("cbByte1")->isEditable());
        for (const char *name :
             {"cbSpellName", "cbByte2", "cbByte3", "cbByte4", "cbByte5", "cbByte6", "cbByte7"})
            QVERIFY2(!h.combo(name)->isEditable(), name);

        // Menus with their access keys, and F1 for the contents.
        QStringList captions;
        for (QAction *menu : h.window->menuBar()->actions()) {
            captions << menu->text();
            for (QAction *item : menu->menu()->actions())
                captions << item->objectName() + "=" + item->text();
        }
        QCOMPARE(captions,
                 (QStringList{"&File", "menuFileOpen=&Open...", "menuFileSave=&Save...",
                              "menuFileExit=E&xit", "&Help", "menuHelpContents=&Contents...",
                              "menuHelpAbout=&About..."}));
        QCOMPARE(h.window->findChild<QAction *>("menuHelpContents")->shortcut(),
                 QKeySequence(Qt::Key_F1));
    }

    void tabVisitsTheFieldsTopToBottom() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0, 1, 0, 1, 3, 0, 0}); // byte 2 as a list
        h.startOn(image);
        QStringList visited;
        QWidget *w = h.combo("cbSpellName");
        for (int i = 0; i < 11; ++i) {
            visited << w->objectName();
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(h.window.get()) ||
                   w->objectName().isEmpty() || w->objectName().startsWith("qt_"));
        }
        QCOMPARE(visited,
                 (QStringList{"cbSpellName", "txtName", "txtRaw", "cbByte4", "cbByte5", "cbByte2",
                              "cbByte3", "cbByte6", "cbByte7", "cbByte1", "cbSpellName"}));
    }

    // The About box is modal over the window, made once and shown again.
    void aboutBoxIsOneModalInstance() {
        EditorHarness h;
        h.startOn(plainImage());
        h.select(7);
        QList<QWidget *> seen;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, h.window.get(), [&] {
                QWidget *box = QApplication::activeModalWidget();
                seen << box;
                QVERIFY(box);
                QCOMPARE(box->objectName(), QStringLiteral("aboutForm"));
                QCOMPARE(box->parentWidget(), h.window.get());
                auto *ok = box->findChild<QPushButton *>(QStringLiteral("cmdOK"));
                QVERIFY(ok);
                ok->click();
            });
            h.trigger("menuHelpAbout");
        }
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], seen[1]);
        QVERIFY(!seen[0]->isVisible());
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 7);
        QVERIFY(!h.window->store().FileChanged);
        QVERIFY(h.prompter.messages.isEmpty());
    }

    void helpOpensThePageWithoutTouchingTheData() {
        EditorHarness h;
        h.startOn(plainImage());
        // The page in the current folder is the one that is opened.
        const QString page = h.folder.add(QStringLiteral("CorvantisSpellEdit.html"), "<html/>");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(h.folder.path(".")));
        QList<QUrl> opened;
        h.window->setHelpOpener([&](const QUrl &url) { opened << url; });
        h.trigger("menuHelpContents");
        // F1 from any field reaches the same command.
        h.key("cbByte3", Qt::Key_F1);
        h.key("txtName", Qt::Key_F1);
        QDir::setCurrent(before);
        QCOMPARE(opened.size(), 3);
        for (const QUrl &url : opened)
            QCOMPARE(QFileInfo(url.toLocalFile()), QFileInfo(page));
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(!h.window->store().FileChanged);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
