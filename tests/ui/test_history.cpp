#include "support/EditorHarness.h"
#include "ui/AllSpellsWindow.h"
#include "ui/Texts.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

namespace {

QString actionText(EditorHarness &h, const char *name) {
    auto *a = h.window->findChild<QAction *>(QLatin1String(name));
    return a->isEnabled() ? a->text() : QString();
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
  private slots:
    // Undo and redo by key from any field; typed steps merge; back at the
    // saved state nothing is marked and Exit asks nothing.
    void undoAndRedo() {
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        h.select(4);
        h.pick("cbByte3", "Fire");
        h.key("txtByte2", Qt::Key_Backspace);
        h.type("txtByte2", "125");
        QCOMPARE(actionText(h, "menuEditUndo"), "&Undo Effectiveness of FIRE");
        h.key("txtName", Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.edit("txtByte2")->text(), "0");
        QCOMPARE(actionText(h, "menuEditUndo"), "&Undo Elemental of FIRE");
        QCOMPARE(actionText(h, "menuEditRedo"), "&Redo Effectiveness of FIRE");
        h.select(0);
        h.key("cbByte1", Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 4); // the undone slot is shown
        QCOMPARE(h.combo("cbByte3")->currentText(), "No Elemental");
        QVERIFY(!h.shown("lblFileChanged") && !h.shown("lblSpellChanged"));
        QCOMPARE(actionText(h, "menuEditUndo"), QString());
        h.key("txtName", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        h.key("txtName", Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(h.edit("txtByte2")->text(), "125");
        QVERIFY(h.shown("lblFileChanged") && h.shown("lblSpellChanged"));
        // Saved, then undone once: the file differs in that byte only.
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        h.trigger("menuEditUndo");
        QVERIFY(h.window->store().SpellChanged[4] && h.shown("lblFileChanged"));
        h.trigger("menuEditRedo");
        QVERIFY(!h.window->store().FileChanged && !h.shown("lblSpellChanged"));
        h.trigger("menuFileExit");
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.file().mid(0x301F0 + 4 * 8, 3), bytes({0x18, 125, 0x10}));
        QVERIFY(h.prompter.messages.size() == 1);
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
        QVERIFY(table && table->isVisible());
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
        QCOMPARE(actionText(h, "menuEditUndo"), "&Undo Elemental of AMUT");
        edit(0, 4, [](QWidget *box) { QTest::keyClicks(box, "9"); }); // Effectiveness 09
        edit(0, 2, [](QWidget *box) { QTest::keyClicks(box, "FI@RE"); });
        QCOMPARE(row(0).section('|', 2, 4), "FIRE|18 Damaging|9");
        QCOMPARE(h.edit("txtName")->text(), "FIRE");
        QCOMPARE(h.rawLine(), "18 09 02 01 01 B0 20 ");

        // Revert puts back the loaded record and name as one step, through the
        // guard: asked on a special slot.
        for (int slot : {0, 1}) {
            const bool reverted = true;
            h.select(slot);
            for (int i = 0; i < 2 * (slot == 1); ++i) // for the pick, then for Revert
                h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
            h.pick("cbByte4", "Self");
            h.type("txtName", "Z");
            h.trigger("menuEditRevert");
            QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
            QCOMPARE(h.rawLine().mid(9, 2), reverted ? "01" : "04");
            QCOMPARE(h.edit("txtName")->text(), reverted ? "AAAA" : "AAAZ");
            QCOMPARE(actionText(h, "menuEditRevert").isEmpty(), reverted);
            if (reverted) {
                h.trigger("menuEditUndo");
                QCOMPARE(h.edit("txtName")->text(), "AAAZ");
            }
        }
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
