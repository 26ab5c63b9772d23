#include "support/EditorHarness.h"
#include "ui/HelpPage.h"
#include "ui/PathLabel.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

class TestWindow : public QObject {
    Q_OBJECT
  private slots:
    // Start-up on a command-line image asks nothing and shows slot 0 in a
    // window of fixed size whose fields the Tab key visits in reading order.
    void startUp() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x10, 10, 1, 2, 2, 0, 0});
        h.startOn(image);
        QCOMPARE(h.prompter.openDialogs, 0);
        QCOMPARE(h.window->focusWidget(), h.combo("cbSpellName"));
        QCOMPARE(h.window->minimumSize(), h.window->maximumSize());
        QCOMPARE(h.combo("cbByte1")->currentText(), "10");
        QCOMPARE(h.edit("txtByte2")->text(), "10");
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged") && !h.shown("cbByte2"));
        h.pick("cbByte5", "Negative Effect"); // byte 2 as a list
        QStringList visited;
        for (QWidget *w = h.combo("cbSpellName"); visited.size() < 11;) {
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

    // Every slot of a random image is shown without a question or a mark,
    // and a save then has nothing to write.
    void everySlotShowsWithoutEditing() {
        EditorHarness h;
        const QByteArray image = randomImage(256 * 1024 + 16, 99);
        h.startOn(image);
        for (int slot = 0; slot < 64; ++slot) {
            h.select(slot);
            QCOMPARE(h.rawLine(),
                     QString(image.mid(0x301F0 + slot * 8, 7).toHex(' ').toUpper() + ' '));
        }
        QVERIFY(!h.window->store().FileChanged && !h.shown("lblSpellChanged"));
        h.prompter.expect(texts::NothingChanged, Buttons::Ok, Icon::Information, Answer::Ok);
        h.trigger("menuFileSave");
        QCOMPARE(h.file(), image);
    }

    // Open over unsaved edits: No keeps them; a cancel or a failed load keeps
    // the image, its path, read-only state and marks.
    void openKeepsWhatItDoesNotReplace_data() {
        QTest::addColumn<QString>("other"); // "" for No, "cancel", or a file
        for (const char *other : {"", "cancel", "missing.nes", "short.nes", "."})
            QTest::newRow(*other ? other : "No") << other;
    }
    void openKeepsWhatItDoesNotReplace() {
        QFETCH(QString, other);
        EditorHarness h;
        h.startOn(plainImage());
        h.select(3);
        h.pick("cbByte7", "Red");
        h.folder.add("short.nes", QByteArray(1000, 'x'));
        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning,
                          other.isEmpty() ? Answer::No : Answer::Yes);
        if (other == "cancel") {
            h.prompter.expectOpenCancel();
        } else if (!other.isEmpty()) {
            h.prompter.expectOpen(h.folder.path(other), true);
            h.prompter.expect(texts::ErrorReading, Buttons::Ok, Icon::Critical, Answer::Ok);
        }
        h.trigger("menuFileOpen");
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        QVERIFY(!h.window->store().ReadOnlyROM);
        QVERIFY(h.window->store().SpellChanged[3] && h.shown("lblFileChanged"));
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 3);
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        QCOMPARE(quint8(h.file()[0x301F0 + 3 * 8 + 6]), quint8(38));
    }

    // A new open replaces everything, slot 0 shown afresh, read-only as ticked.
    void openReplaces() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        QByteArray other = plainImage(2);
        setRecord(other, 0, {0x20, 9, 64, 2, 5, 0, 0});
        h.prompter.expectOpen(h.folder.add("other.nes", other), false);
        h.trigger("menuFileOpen");
        QVERIFY(!h.window->store().ReadOnlyROM);
        QCOMPARE(h.rawLine(), "20 09 40 02 05 00 00 ");
        QCOMPARE(h.combo("cbByte3")->currentText(), "Lightning");
    }

    // Save: its questions, what it writes, and the marks after it.
    void save_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("folderInstead"); // the image replaced by a folder
        QTest::newRow("Yes") << false << Answer::Yes << false;
        QTest::newRow("No") << false << Answer::No << false;
        QTest::newRow("failed") << false << Answer::Yes << true;
        QTest::newRow("read-only") << true << Answer::Ok << false;
    }
    void save() {
        QFETCH(bool, readOnly);
        QFETCH(Answer, answer);
        QFETCH(bool, folderInstead);
        const bool written = !readOnly && answer == Answer::Yes && !folderInstead;
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startPicking(image, readOnly);
        // A special slot lets an edit through after its question, read-only or not.
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.pick("cbByte4", "Self");
        if (readOnly) {
            h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, answer);
        } else {
            h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, answer);
            if (folderInstead) {
                QVERIFY(QFile::remove(h.path) && QDir().mkdir(h.path));
                h.prompter.expect(texts::ErrorWriting, Buttons::Ok, Icon::Critical, Answer::Ok);
            }
        }
        h.trigger("menuFileSave");
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        image[0x301F0 + 3] = char(written ? 4 : 1);
        QVERIFY(folderInstead || h.file().mid(0x301F0, 8) == image.mid(0x301F0, 8));
        QCOMPARE(h.prompter.details.last(),
                 folderInstead ? "The file was removed or replaced after it was opened." : "");
        QCOMPARE(h.window->store().FileChanged, !written);
        QCOMPARE(h.shown("lblFileChanged") || h.shown("lblSpellChanged"), !written);
        // Nothing left unsaved: Exit asks nothing.
        if (written) {
            h.trigger("menuFileExit");
            QVERIFY(!h.window->isVisible());
        }
    }

    // Shown and saved as the file it is; another program's table byte is replaced on Yes only.
    void anotherProgramsChangeIsReplacedOnlyOnYes() {
        EditorHarness h;
        QVERIFY(QDir(h.folder.path(".")).mkdir("real") &&
                QFile::link(h.folder.path("real"), h.folder.path("lnk")));
        h.path = QFileInfo(h.folder.add("real/x.nes", plainImage())).canonicalFilePath();
        h.window->Form_Load(h.folder.path("lnk/x.nes"));
        h.activate();
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        h.pick("cbByte4", "Self");
        QByteArray theirs = h.file();
        theirs[SpellTableOffset + 5 * RecordSize] = 0x42;
        QVERIFY(writeWhole(h.path, theirs));
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question,
                              Answer::Yes);
            h.prompter.expect(texts::ChangedByOther, Buttons::YesNo, Icon::Warning, answer);
            h.trigger("menuFileSave");
            QVERIFY(h.prompter.done());
            QCOMPARE(h.shown("lblFileChanged"), answer == Answer::No);
            QCOMPARE(h.file() == theirs, answer == Answer::No);
        }
    }

    // Export, then import into the unedited image: the same tables, in one
    // undo step; a special slot asks once; read-only and bad files refuse.
    void exportThenImport() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 5, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startOn(image);
        h.select(3);
        h.pick("cbByte3", "Ice");
        h.type("txtName", "Q");
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.select(5);
        h.pick("cbByte4", "Self");
        const QString json = h.folder.path("spells"); // the filter adds .json
        h.prompter.files.push_back({json, 0});
        h.trigger("menuFileExport");
        const MainModule edited = h.window->store();

        EditorHarness g;
        g.startPicking(image, true);
        const QString bad =
            g.folder.add("bad.json", "{\"format\": \"corvantis-spells\", "
                                     "\"version\": 1, \"spells\": [{\"slot\": 64}]}");
        for (const QString &file : {json + ".json", bad})
            g.prompter.files.push_back({file, 0});
        g.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        g.trigger("menuFileImport");
        g.prompter.expect(bad + ": spells[0].slot: 64 is not a slot from 0 to 63", Buttons::Ok,
                          Icon::Critical, Answer::Ok);
        g.trigger("menuFileImport");
        g.window->document().module().ReadOnlyROM = false;
        for (Answer a : {Answer::No, Answer::Yes}) {
            g.prompter.files.push_back({json + ".json", 0});
            g.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, a);
            g.trigger("menuFileImport");
            QCOMPARE(g.window->store().FileChanged, a == Answer::Yes);
        }
        QVERIFY(g.prompter.done());
        QVERIFY(g.window->store().SpellNames == edited.SpellNames);
        for (int slot = 0; slot < SlotCount; ++slot)
            for (int n = 1; n <= FieldCount; ++n)
                QCOMPARE(g.window->store().SpellBytes(slot, n), edited.SpellBytes(slot, n));
        QCOMPARE(g.window->findChild<QAction *>("menuEditUndo")->text(), "&Undo Import Spells");
        g.trigger("menuEditUndo");
        QVERIFY(!g.window->store().FileChanged);
    }

    // A patch from the unmodified image to the image with unsaved edits.
    void createPatch() {
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        const QString original = h.folder.add("original.nes", image);
        h.pick("cbByte3", "Ice");
        h.prompter.files = {{original, 0}, {h.folder.path("mod"), 1}};
        h.trigger("menuFileCreatePatch");
        const QByteArray ips = readWhole(h.folder.path("mod.ips"));
        // PATCH, one record of one byte at the Elemental of slot 0, EOF.
        QCOMPARE(ips, "PATCH" + bytes({0x03, 0x01, 0xF2, 0, 1, 0x20}) + "EOF");
        QCOMPARE(h.file(), image); // nothing saved
    }

    void exitAndCloseBox_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<Answer>("answer");
        for (bool box : {false, true}) {
            QTest::addRow("%s, Yes", box ? "close box" : "Exit") << box << Answer::Yes;
            QTest::addRow("%s, No", box ? "close box" : "Exit") << box << Answer::No;
        }
    }
    void exitAndCloseBox() {
        QFETCH(bool, closeBox);
        QFETCH(Answer, answer);
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        h.pick("cbByte6", "Stars");
        h.prompter.expect(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning, answer);
        if (closeBox)
            h.window->close();
        else
            h.trigger("menuFileExit");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->isVisible(), answer == Answer::No);
        QCOMPARE(h.file(), image); // leaving never saves
    }

    // A long path keeps its file name in view; the label's text stays whole.
    void longPathShowsItsFileName() {
        EditorHarness h;
        const QString deep = QStringLiteral("a-folder-name-far-too-long-for-one-line/and-another");
        QVERIFY(QDir(h.folder.path(".")).mkpath(deep));
        h.startOn(plainImage(), deep + QStringLiteral("/corvantis hack.nes"));
        auto *label = h.window->findChild<PathLabel *>(QStringLiteral("lblFilenameData"));
        QCOMPARE(label->text(), h.path);
        const QStringList lines = label->shownLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.first().startsWith(QChar(0x2026)));
        QVERIFY(lines.last().endsWith(QStringLiteral("corvantis hack.nes")));
    }

    // F1 anywhere opens the page found first: in the current, the program's,
    // then the data folder; a folder with the page's name is no page.
    void help() {
        EditorHarness h;
        h.startOn(plainImage());
        const QString page = h.folder.add(HelpPageName, "<html/>");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(h.folder.path(".")));
        QList<QUrl> opened;
        h.window->setHelpOpener([&](const QUrl &url) {
            opened << url;
            return true;
        });
        h.trigger("menuHelpContents");
        h.key("cbByte3", Qt::Key_F1);
        h.key("txtName", Qt::Key_F1);
        QDir::setCurrent(before);
        QCOMPARE(opened.size(), 3);
        QCOMPARE(QFileInfo(opened.last().toLocalFile()), QFileInfo(page));

        QStringList dirs;
        for (const char *name : {"current", "program", "data"})
            QVERIFY(QDir().mkpath(dirs.emplace_back(h.folder.path(name))));
        const auto find = [&] { return FindHelpPage(dirs[0], dirs[1], dirs[2]); };
        const auto in = [&](int i) { return QDir(dirs[i]).filePath(HelpPageName); };
        QCOMPARE(find(), QString());
        QVERIFY(QDir().mkdir(in(0)));
        QVERIFY(writeWhole(in(2), "<html/>"));
        QCOMPARE(find(), in(2));
        QVERIFY(writeWhole(in(1), "<html/>"));
        QCOMPARE(find(), in(1));
        QCOMPARE(FindHelpPage(QString(), QString(), dirs[2]), in(2));
    }

    // About shows one modal box over the window, its OK button focused;
    // Enter accepts it and Escape closes it.
    void aboutBox() {
        EditorHarness h;
        h.startOn(plainImage());
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
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], seen[1]);
        QVERIFY(h.prompter.messages.isEmpty() && !h.window->store().FileChanged);
    }

    // Every label of the About box shows its whole text, also at a larger
    // font; the picture is the icon stretched pixel for pixel.
    void aboutBoxShowsEverything() {
        const QFont usual = QApplication::font();
        for (double scale : {1.0, 1.4}) {
            QFont font = usual;
            font.setPointSizeF(usual.pointSizeF() * scale);
            QApplication::setFont(font);
            aboutForm box;
            for (QLabel *label : box.findChildren<QLabel *>()) {
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(label->objectName()));
                QVERIFY(label->geometry().left() >= 0 && label->geometry().right() < box.width());
            }
        }
        QApplication::setFont(usual);
        aboutForm box;
        const QImage shown = box.findChild<QLabel *>("Image1")->pixmap().toImage();
        const QImage icon = ProgramIconPixmap(32).toImage();
        QCOMPARE(shown.size(), QSize(64, 64));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                QVERIFY(shown.pixel(x, y) == icon.pixel(x / 2, y / 2));
        for (int size : {16, 32, 48, 64, 128})
            QVERIFY(ProgramIcon().availableSizes().contains(QSize(size, size)));
    }

    // The real message box for each button set: title, text, detail, icon,
    // buttons, the first one default.
    void realMessageBox_data() {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<int>("press"); // 0: Enter
        QTest::addColumn<Answer>("answer");
        QTest::newRow("OK") << Buttons::Ok << Icon::Critical << 0 << Answer::Ok;
        QTest::newRow("Cancel") << Buttons::OkCancel << Icon::Warning << int(QMessageBox::Cancel)
                                << Answer::Cancel;
        QTest::newRow("Enter") << Buttons::YesNo << Icon::Question << 0 << Answer::Yes;
        QTest::newRow("No") << Buttons::YesNo << Icon::Information << int(QMessageBox::No)
                            << Answer::No;
    }
    void realMessageBox() {
        QFETCH(Buttons, buttons);
        QFETCH(Icon, icon);
        QFETCH(int, press);
        QFETCH(Answer, answer);
        const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Question,
                                           QMessageBox::Warning, QMessageBox::Critical};
        bool seen = false;
        QWidget owner;
        whenModal(&owner, [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), texts::AppTitle);
            QCOMPARE(box->text(), texts::UnsavedQuit);
            QCOMPARE(box->informativeText(), buttons == Buttons::Ok ? "Input/output error." : "");
            QCOMPARE(box->icon(), icons[int(icon)]);
            const auto first = buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok;
            QCOMPARE(box->defaultButton(), box->button(first));
            QCOMPARE(box->buttons().size(), buttons == Buttons::Ok ? 1 : 2);
            if (press)
                box->button(QMessageBox::StandardButton(press))->click();
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        DialogPrompter prompter;
        QCOMPARE(buttons == Buttons::Ok
                     ? prompter.askWithDetail(nullptr, texts::UnsavedQuit, "Input/output error.",
                                              buttons, icon)
                     : prompter.ask(nullptr, texts::UnsavedQuit, buttons, icon),
                 answer);
        QVERIFY(seen);
    }

    // The real open dialog: its filter and the read-only box, unticked at
    // every showing and ticked by its access key.
    void realOpenDialog() {
        ImageFolder folder;
        const QString path = folder.add("game.nes", "x");
        DialogPrompter prompter;
        QWidget owner;
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
            QVERIFY(choice);
            QCOMPARE(choice->path, path);
            QCOMPARE(choice->readOnly, tick);
        }
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
