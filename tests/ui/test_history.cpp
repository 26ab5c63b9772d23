#include "exchange/SpellExport.h"
#include "support/EditorHarness.h"
#include "ui/AllSpellsWindow.h"
#include "ui/Texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QTableView>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

class TestHistory : public QObject {
    Q_OBJECT
  private slots:
    // Undo and redo by key from any field: each pick a step, also after a
    // visit elsewhere; typing one number a step until the slot changes. Copy
    // Spell and Paste Spell by key: the selector's spell onto another slot; in
    // the table rows onto rows, one cell over a column's cells.
    void undoRedoCopyAndPaste() {
        EditorHarness h;
        QByteArray image = plainImage();
        setName(image, 4, QByteArray::fromHex("8F929B8E"));
        setRecord(image, 5, {0x40, 32, 1, 1, 3, 216, 35});
        h.startOn(image);
        h.select(4);
        h.pick("cbByte3", "Magic Effect");
        h.select(5);
        h.select(4);
        h.pick("cbByte3", "Instant Death");
        h.pick("cbByte3", "Fire");
        h.key("txtByte2", Qt::Key_Backspace);
        h.type("txtByte2", "12");
        h.select(5);
        h.select(4);
        h.type("txtByte2", "5");
        QStringList undone;
        for (int i = 0; i < 4; ++i) {
            h.key("txtName", Qt::Key_Z, Qt::ControlModifier);
            undone << h.combo("cbByte3")->currentText() + ' ' + h.edit("txtByte2")->text();
        }
        QCOMPARE(undone, (QStringList{"Fire 12", "Fire 0", "Instant Death 0", "Magic Effect 0"}));
        h.select(0);
        h.key("cbByte1", Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 4); // the undone slot is shown
        QCOMPARE(h.combo("cbByte3")->currentText(), "No Elemental");
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
        QCOMPARE(h.actionText("menuEditUndo"), QString());
        for (int i = 0; i < 5; ++i)
            h.key("txtName", i % 2 ? Qt::Key_Y : Qt::Key_Z,
                  i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(h.edit("txtByte2")->text(), "125");
        QVERIFY(h.shown("lblFileChanged") && h.shown("lblSpellChanged"));

        h.key("cbSpellName", Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().section('\n', 1, 1).section('\t', 0, 4),
                 "4\tFIRE\tFIRE\t8F929B8E\t24");
        h.select(7);
        h.key("cbByte3", Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(h.rawLine() + h.edit("txtName")->text(), "18 7D 10 01 01 B0 20 FIRE");
        QCOMPARE(h.actionText("menuEditUndo"), "&Undo Paste onto LIT");
        h.trigger("menuViewAllSpells");
        auto *table = h.window->findChild<AllSpellsWindow *>();
        QTRY_COMPARE(QApplication::activeWindow(), table);
        QAbstractItemView *view = table->view();
        // Cells chosen as a drag over them does, then a key.
        const auto onCells = [&](int row, int column, int more, Qt::Key key) {
            const QModelIndex first = view->model()->index(row, column);
            view->setCurrentIndex(first);
            view->selectionModel()->select(
                QItemSelection(first, view->model()->index(row + more, column)),
                QItemSelectionModel::ClearAndSelect);
            QTest::keyClick(view, key, Qt::ControlModifier);
        };
        onCells(4, 1, 1, Qt::Key_C); // the labels of FIRE and SLEP: whole spells
        onCells(20, 0, 1, Qt::Key_V);
        onCells(4, 5, 0, Qt::Key_C); // FIRE's Elemental
        onCells(30, 5, 2, Qt::Key_V);
        QCOMPARE(h.actionText("menuEditUndo"), "&Undo Paste onto 3 spells");
        for (const auto &[slot, from] : {std::pair{20, 4}, {21, 5}})
            QVERIFY(h.window->store().record(slot) == h.window->store().record(from));
        for (int slot = 29; slot <= 33; ++slot) // the Elemental only, of the three chosen
            QCOMPARE(RawLine(h.window->store(), slot),
                     slot == 29 || slot == 33 ? "18 00 00 01 01 B0 20 " : "18 00 10 01 01 B0 20 ");
    }

    // The table shows what the fields show, follows every change by its
    // row, sorts by byte value, filters, goes to a slot, and hands its edits
    // to the window's guard.
    void allSpellsTable() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 9, {5, 255, 3, 0, 6, 240, 31});
        setRecord(image, 1, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startOn(image);
        h.trigger("menuViewAllSpells");
        auto *table = h.window->findChild<AllSpellsWindow *>();
        // Beside the main window and on the screen, its columns scrolling.
        QVERIFY(table->screen()->availableGeometry().contains(table->frameGeometry()));
        QVERIFY(!table->frameGeometry().intersects(h.window->frameGeometry()));
        QAbstractItemModel *m = table->view()->model();
        const auto row = [&](int r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            return cells.join('|');
        };
        QCOMPARE(row(9), "9|MUTE|AAAA|5|255|Invalid Value|Invalid Value|Invalid Value|"
                         "Invalid Value|Invalid Value|05 FF 03 00 06 F0 1F");
        QCOMPARE(m->index(9, 6).data(Qt::ToolTipRole).toString(), "0x00 at offset 0x3023B");
        h.select(2);
        h.pick("cbByte3", "Ice");
        QCOMPARE(row(2).section('|', 0, 5), "2 *|FOG|AAAA|18 Damaging|0|Ice");
        QVERIFY(m->index(2, 1).data(Qt::FontRole).value<QFont>().bold());
        h.trigger("menuEditUndo");
        QCOMPARE(row(2).section('|', 0, 5), "2|FOG|AAAA|18 Damaging|0|No Elemental");

        table->view()->sortByColumn(6, Qt::DescendingOrder); // Targetting by value
        QCOMPARE(m->index(0, 0).data().toString(), "0");
        QCOMPARE(m->index(63, 0).data().toString(), "9");
        QTest::keyClicks(table->findChild<QLineEdit *>("txtFilter"), "mut");
        QCOMPARE(m->rowCount(), 2); // MUTE, AMUT
        table->view()->setCurrentIndex(m->index(1, 1));
        QTest::keyClick(table->view(), Qt::Key_Return);
        QCOMPARE(h.combo("cbSpellName")->currentText(), "MUTE");
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));

        // A cell is edited in the control of its field, through the session's
        // guard: a pick, a typed number, a name; each a step of its own.
        table->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), table);
        const auto edit = [&](int row, int column, auto &&enter) {
            table->view()->setFocus();
            table->view()->setCurrentIndex(m->index(row, column));
            QTest::keyClick(table->view(), Qt::Key_F2);
            QWidget *editor = QApplication::focusWidget();
            QVERIFY(editor && editor != table->view());
            enter(editor);
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents(); // the view commits and closes the editor queued
        };
        edit(0, 5, [](QWidget *box) { // AMUT's Elemental, two down
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
        });
        QCOMPARE(row(0).section('|', 5, 5), h.combo("cbByte3")->itemText(2));
        QCOMPARE(h.combo("cbSpellName")->currentText(), "AMUT");
        QCOMPARE(h.actionText("menuEditUndo"), "&Undo Elemental of AMUT");
        edit(0, 4, [](QWidget *box) { QTest::keyClicks(box, "9"); }); // Effectiveness 09
        edit(0, 2, [](QWidget *box) { QTest::keyClicks(box, "FI@RE"); });
        QCOMPARE(row(0).section('|', 2, 4), "FIRE|18 Damaging|9");
        QCOMPARE(h.edit("txtName")->text(), "FIRE");
        QCOMPARE(h.rawLine(), "18 09 02 01 01 B0 20 ");

        // By keyboard: the main window's history and Save; the filter and back;
        // Esc and Ctrl+W close it, and it opens again at its size.
        QWidget *view = table->view(), *filter = table->findChild<QLineEdit *>("txtFilter");
        for (const auto &[keys, name] : {std::pair{"Ctrl+Z", "AAAA"},
                                         {"Ctrl+Shift+Z", "FIRE"},
                                         {"Ctrl+Z", "AAAA"},
                                         {"Ctrl+Y", "FIRE"}}) {
            QTest::keySequence(view, QKeySequence(keys));
            QCOMPARE(h.edit("txtName")->text(), name);
        }
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::No);
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        for (const char *keys : {"Tab", "Shift+Tab", "Ctrl+F"}) {
            view->setFocus();
            QTest::keySequence(view, QKeySequence(keys));
            QCOMPARE(QApplication::focusWidget(), filter);
        }
        QTest::keyClick(filter, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), view);
        table->resize(300, 200);
        for (const char *keys : {"Esc", "Ctrl+W"}) {
            QTest::keySequence(view, QKeySequence(keys));
            QVERIFY(!table->isVisible());
            h.trigger("menuViewAllSpells");
            QTRY_COMPARE(QApplication::activeWindow(), table);
        }
        AllSpellsWindow next(h.window->document(), {}, {}, nullptr); // the next run's
        next.showBeside(h.window.get());
        QCOMPARE(next.size(), QSize(300, 200));

        // Revert puts back record and name as one step, asking on a special slot.
        h.select(1);
        for (int i = 0; i < 2; ++i) // for the pick, then for Revert
            h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.pick("cbByte4", "Self");
        h.type("txtName", "Z");
        h.activate(); // the main window's slot, not the table's cells
        h.trigger("menuEditRevert");
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.rawLine().mid(9, 2), "01");
        QCOMPARE(h.edit("txtName")->text(), "AAAA");
        QCOMPARE(h.actionText("menuEditRevert"), QString());
        h.trigger("menuEditUndo");
        QCOMPARE(h.edit("txtName")->text(), "AAAZ");
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
