#include "fields/FieldLists.h"
#include "support/EditorHarness.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// All bytes valid and none first in its list; First Byte FF.
const std::initializer_list<int> Special = {0xFF, 7, 16, 2, 1, 184, 33};

void expectWarning(EditorHarness &h, const QString &text, Answer answer) {
    h.prompter.expect(text, text == texts::SpecialSlot ? Buttons::YesNo : Buttons::OkCancel,
                      Icon::Warning, answer);
}

struct PickCase {
    const char *name, *box;
    QString item;
    int effect, n, before, after; // effect: byte 5, which decides byte 2's list
};

} // namespace

Q_DECLARE_METATYPE(PickCase)

class TestEditing : public QObject {
    Q_OBJECT
  private slots:
    // A pick in every field reaches exactly its byte of the record;
    // "Invalid Value" over a valid byte picks the list's first item, over an
    // invalid one it keeps the byte.
    void picks_data() {
        const QString invalid = InvalidValueText;
        addRows<PickCase>({
            {"First Byte", "cbByte1", "6B High-Level", 1, 1, 0x18, 0x6B},
            {"Negative Effect", "cbByte2", "Sleep", 3, 2, 7, 32},
            {"Elemental Resist", "cbByte2", "Resist RUB", 10, 2, 7, 137},
            {"Elemental", "cbByte3", "Earth", 1, 3, 16, 128},
            {"Targetting", "cbByte4", "One Ally", 1, 4, 2, 16},
            {"Effect", "cbByte5", "Nullify Resist", 1, 5, 1, 17},
            {"Appearance", "cbByte6", "Sparkling Hand", 1, 6, 184, 232},
            {"Color Palette", "cbByte7", "Whitish", 1, 7, 33, 44},
            {"invalid over Elemental", "cbByte3", invalid, 1, 3, 16, 0},
            {"invalid over Negative Effect", "cbByte2", invalid, 3, 2, 8, 1},
            {"invalid over the first item", "cbByte4", invalid, 1, 4, 1, 1},
            {"invalid over invalid", "cbByte3", invalid, 1, 3, 3, 3},
        });
    }
    void picks() {
        QFETCH(PickCase, c);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 40, {0x18, 7, 16, 2, c.effect, 184, 33});
        image[SpellTableOffset + 40 * 8 + c.n - 1] = char(c.before);
        h.startOn(image);
        h.select(40);
        h.pick(c.box, c.item);
        image[SpellTableOffset + 40 * 8 + c.n - 1] = char(c.after);
        QCOMPARE(h.rawLine(), image.mid(SpellTableOffset + 40 * 8, 7).toHex(' ').toUpper() + ' ');
        QCOMPARE(h.window->store().FileChanged, c.before != c.after);
    }

    // The number box stores on every key, asking on a special slot; out of
    // range resets to 0 as an edit of its own. The wheel turns only a focused
    // list. A refused Effect keeps the number box; an accepted one the list.
    void numberBoxAndEffect() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 1, Special);
        h.startOn(image);
        QList<int> seen;
        h.key("txtByte2", Qt::Key_Backspace);
        for (const char *digit : {"1", "2", "5"}) {
            h.type("txtByte2", digit);
            seen << h.window->store().SpellBytes(0, 2);
        }
        QCOMPARE(seen, (QList<int>{1, 12, 125}));
        expectWarning(h, texts::OutOfRange, Answer::Ok);
        h.type("txtByte2", "9");
        QCOMPARE(h.edit("txtByte2")->text(), "0");
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(0));
        QComboBox *box = h.combo("cbByte6");
        const auto wheel = [&] {
            QWheelEvent e(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &e);
        };
        h.combo("cbSpellName")->setFocus();
        wheel();
        QCOMPARE(h.window->store().SpellBytes(0, 6), quint8(176));
        box->setFocus();
        wheel();
        QVERIFY(h.window->store().SpellBytes(0, 6) != 176);
        h.select(1);
        for (int i = 0; i < 3; ++i) // emptied, 3, 32
            expectWarning(h, texts::SpecialSlot, Answer::Yes);
        h.key("txtByte2", Qt::Key_Backspace);
        h.type("txtByte2", "32");
        h.type("txtName", "Q"); // a special slot's name asks nothing
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(1, 2), quint8(32));
        expectWarning(h, texts::SpecialSlot, Answer::No);
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.shown("txtByte2") && !h.shown("cbByte2"));
        QCOMPARE(h.edit("txtByte2")->text(), "32");
        expectWarning(h, texts::SpecialSlot, Answer::Yes);
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.shown("cbByte2") && !h.shown("txtByte2"));
        QCOMPARE(h.combo("cbByte2")->currentText(), "Sleep");
        QCOMPARE(h.rawLine(), "FF 20 10 02 03 B8 21 ");
    }

    // Typed First Byte text counts, never half-typed, on Enter, on leaving
    // the box, and before Open, Save, Exit and Undo by their keys (after the
    // guard's question); what is not a value is out of range, the stored
    // byte's text comes back. Exit and the close box close on Yes, never save.
    void firstByteTyped() {
        QByteArray image = plainImage();
        setRecord(image, 0, Special); // asked about first, once
        for (bool closeBox : {false, true}) {
            EditorHarness h;
            h.startOn(image);
            expectWarning(h, texts::SpecialSlot, Answer::Yes);
            const std::tuple<QString, QString, QString, int, QString> rows[] = {
                // typed, the keys that count it (none: leaving the box), question, stored, shown
                {" 20 ", "Return", {}, 0x20, "20 ZAP!"},
                {"a0", {}, {}, 0xA0, "A0"},
                {"Damaging", "Return", texts::OutOfRange, 0xA0, "A0"},
                {"100", {}, texts::OutOfRange, 0xA0, "A0"},
                {"28", "Ctrl+O", texts::UnsavedOpen, 0x28, "28 BANE, QUAK"},
                {"30", "Ctrl+S", texts::SaveQuestion(h.path), 0x30, "30 HEL3, STOP"},
                {"6b", "Ctrl+Q", texts::UnsavedQuit, 0x6B, "6B High-Level"},
                {"40", "Ctrl+Z", {}, 0x6B, "6B High-Level"}}; // applied, then undone
            for (const auto &[typed, keys, question, stored, shown] : rows) {
                const QString raw = h.rawLine();
                h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
                h.type("cbByte1", typed);
                QCOMPARE(h.rawLine(), raw);
                if (question == texts::OutOfRange)
                    expectWarning(h, question, Answer::Ok);
                else if (!question.isEmpty())
                    h.prompter.expect(question, Buttons::YesNo,
                                      keys == "Ctrl+S" ? Icon::Question : Icon::Warning,
                                      Answer::No);
                if (keys.isEmpty())
                    h.combo("cbByte3")->setFocus();
                else
                    QTest::keySequence(QApplication::focusWidget(), QKeySequence(keys));
                QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
                QCOMPARE(int(h.window->store().SpellBytes(0, 1)), stored);
                QCOMPARE(h.combo("cbByte1")->currentText(), shown);
            }
            h.prompter.expect(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning, Answer::Yes);
            if (closeBox)
                h.window->close();
            else
                h.trigger("menuFileExit");
            QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
            QVERIFY(!h.window->isVisible());
            QCOMPARE(h.file(), image);
        }
    }

    // Without a slot (the open was cancelled) edits touch no table and ask
    // nothing. The name box lets in only what a name can hold, however it
    // arrives, and then shows exactly what was stored.
    void nameBox() {
        EditorHarness h;
        QByteArray image = plainImage();
        setName(image, 0, QByteArray::fromHex("8A8BFFFF"));
        h.path = h.folder.add("game.nes", image);
        h.prompter.expectOpenCancel();
        h.window->Form_Load();
        h.activate();
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), -1);
        QCOMPARE(h.combo("cbSpellName")->count(), 64);
        QCOMPARE(h.combo("cbByte1")->currentText(), "cbByte1");
        QCOMPARE(h.rawLine(), QString());
        h.type("txtName", "AB");
        h.type("txtByte2", "999");
        h.type("cbByte1", "FF");
        h.key("cbByte1", Qt::Key_Return);
        h.pick("cbByte3", "Fire");
        QVERIFY(!h.window->store().FileChanged);
        h.prompter.expectOpen(h.path);
        h.trigger("menuFileOpen");
        QLineEdit *name = h.edit("txtName");
        h.key("txtName", Qt::Key_End);
        h.key("txtName", Qt::Key_Backspace);
        h.key("txtName", Qt::Key_Backspace);
        QCOMPARE(h.window->store().SpellNames[0], QByteArray::fromHex("8A8B"));
        // A chord with Alt or Super is a command, not a letter; AltGr's
        // characters and an input method's still type.
        using Keys = Qt::KeyboardModifiers;
        for (Keys m : {Keys(Qt::AltModifier), Keys(Qt::MetaModifier),
                       Qt::ShiftModifier | Qt::AltModifier, Keys()})
            for (char c : {'s', 'o', '@', ';'})
                QTest::keyClick(name, c, m);
        QCOMPARE(name->text(), "ABso");
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("@\u00e9z"));
        QApplication::sendEvent(name, &commit);
        for (Keys m : {Keys(Qt::GroupSwitchModifier), Qt::ControlModifier | Qt::AltModifier})
            QTest::keyClick(name, 'q', m);
        QCOMPARE(name->text(), "ozqq");
        QCOMPARE(h.window->store().SpellNames[0], QByteArray::fromHex("B2BDB4B4"));
        QApplication::clipboard()->setText("A@b"); // over the whole text
        h.key("txtName", Qt::Key_A, Qt::ControlModifier);
        h.key("txtName", Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(name->text(), "Ab");
        // Keys that insert nothing still work; the newest four characters win.
        h.key("txtName", Qt::Key_A, Qt::ControlModifier);
        h.key("txtName", Qt::Key_C, Qt::ControlModifier);
        h.key("txtName", Qt::Key_Home);
        h.key("txtName", Qt::Key_Delete);
        QCOMPARE(name->text(), "b");
        h.key("txtName", Qt::Key_End);
        h.type("txtName", "-5!");
        h.key("txtName", Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(name->text(), "5!Ab");
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        QCOMPARE(h.file().mid(0x2BE13, 5), QByteArray::fromHex("85C48AA500"));
        // Read-only: a full name's edit asks twice (cut, then the cut text).
        h.prompter.expectOpen(h.path, true);
        h.trigger("menuFileOpen");
        expectWarning(h, texts::ReadOnlyImage, Answer::Ok);
        expectWarning(h, texts::ReadOnlyImage, Answer::Cancel);
        h.type("txtName", "E");
        QVERIFY(h.prompter.done());
        QCOMPARE(name->text(), "5!Ab");
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
