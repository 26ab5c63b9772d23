#include "fields/FieldLists.h"
#include "support/EditorHarness.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr qint64 Records = 0x301F0;

// All bytes valid and none first in its list; Special differs in byte 1 only.
const std::initializer_list<int> Ordinary = {0x18, 7, 16, 2, 1, 184, 33};
const std::initializer_list<int> Special = {0xFF, 7, 16, 2, 1, 184, 33};

void expectWarning(EditorHarness &h, const QString &text, Answer answer) {
    h.prompter.expect(text, text == texts::SpecialSlot ? Buttons::YesNo : Buttons::OkCancel,
                      Icon::Warning, answer);
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

    QByteArray save(EditorHarness &h) {
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        return h.file();
    }

  private slots:
    // The change guard over image, slot and kind of edit.
    void guard_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("special");
        QTest::addColumn<bool>("name");
        QTest::addColumn<QString>("message"); // empty: no question
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("stored");
        const QString sp = texts::SpecialSlot, ro = texts::ReadOnlyImage;
        QTest::newRow("ordinary record") << false << false << false << "" << Answer::Ok << true;
        QTest::newRow("ordinary name") << false << false << true << "" << Answer::Ok << true;
        QTest::newRow("special Yes") << false << true << false << sp << Answer::Yes << true;
        QTest::newRow("special No") << false << true << false << sp << Answer::No << false;
        QTest::newRow("special name") << false << true << true << "" << Answer::Ok << true;
        QTest::newRow("read-only record") << true << false << false << ro << Answer::Cancel << false;
        QTest::newRow("read-only name") << true << false << true << ro << Answer::Ok << false;
        QTest::newRow("read-only special Yes") << true << true << false << sp << Answer::Yes << true;
        QTest::newRow("read-only special name") << true << true << true << ro << Answer::Ok << false;
    }
    void guard() {
        QFETCH(bool, readOnly);
        QFETCH(bool, special);
        QFETCH(bool, name);
        QFETCH(QString, message);
        QFETCH(Answer, answer);
        QFETCH(bool, stored);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 2, special ? Special : Ordinary);
        h.startPicking(image, readOnly);
        h.select(2);
        if (!message.isEmpty())
            expectWarning(h, message, answer);
        if (name) {
            h.key("txtName", Qt::Key_A, Qt::ControlModifier);
            h.type("txtName", "Z");
            QCOMPARE(h.edit("txtName")->text(), stored ? "Z" : "AAAA");
        } else {
            h.pick("cbByte3", "Ice");
            QCOMPARE(h.combo("cbByte3")->currentText(), stored ? "Ice" : "Fire");
            QCOMPARE(h.rawLine().mid(6, 2), stored ? "20" : "10");
        }
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.window->store().FileChanged, stored);
        QCOMPARE(h.window->store().SpellChanged[2], stored);
        QCOMPARE(h.shown("lblSpellChanged") && h.shown("lblFileChanged"), stored);
    }

    // A pick in every field reaches exactly its byte of the saved image.
    void everyFieldReachesTheFile_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("effect"); // byte 5, which decides byte 2's list
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("value");
        QTest::newRow("First Byte") << "cbByte1" << "6B High-Level" << 1 << 1 << 0x6B;
        QTest::newRow("Negative Effect") << "cbByte2" << "Sleep" << 3 << 2 << 32;
        QTest::newRow("Positive Effect") << "cbByte2" << "Cure Mute" << 8 << 2 << 64;
        QTest::newRow("Elemental Resist") << "cbByte2" << "Resist RUB" << 10 << 2 << 137;
        QTest::newRow("Stronger Negatives") << "cbByte2" << "Stun" << 18 << 2 << 16;
        QTest::newRow("Elemental") << "cbByte3" << "Earth" << 1 << 3 << 128;
        QTest::newRow("Targetting") << "cbByte4" << "One Ally" << 1 << 4 << 16;
        QTest::newRow("Effect") << "cbByte5" << "Nullify Resist" << 1 << 5 << 17;
        QTest::newRow("Appearance") << "cbByte6" << "Sparkling Hand" << 1 << 6 << 232;
        QTest::newRow("Color Palette") << "cbByte7" << "Whitish" << 1 << 7 << 44;
    }
    void everyFieldReachesTheFile() {
        QFETCH(QString, box);
        QFETCH(QString, item);
        QFETCH(int, effect);
        QFETCH(int, n);
        QFETCH(int, value);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 40, {0x18, 7, 16, 2, effect, 184, 33});
        h.startOn(image);
        h.select(40);
        h.pick(qPrintable(box), item);
        QCOMPARE(h.rawLine().mid(3 * (n - 1), 2), QString::asprintf("%02X", value));
        image[Records + 40 * 8 + n - 1] = char(value);
        QCOMPARE(save(h), image);
    }

    // "Invalid Value" over a valid byte picks the first item; over an invalid
    // one it keeps the byte.
    void invalidPick_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("Elemental") << "cbByte3" << 1 << 3 << 16 << 0;
        QTest::newRow("Targetting") << "cbByte4" << 1 << 4 << 2 << 1;
        QTest::newRow("Negative Effect") << "cbByte2" << 3 << 2 << 8 << 1;
        QTest::newRow("Elemental Resist") << "cbByte2" << 10 << 2 << 32 << 16;
        QTest::newRow("already first") << "cbByte4" << 1 << 4 << 1 << 1;
        QTest::newRow("invalid stays") << "cbByte3" << 1 << 3 << 3 << 3;
    }
    void invalidPick() {
        QFETCH(QString, box);
        QFETCH(int, effect);
        QFETCH(int, n);
        QFETCH(int, before);
        QFETCH(int, after);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x18, 8, 16, 2, effect, 184, 33});
        image[Records + n - 1] = char(before);
        h.startOn(image);
        h.pick(qPrintable(box), InvalidValueText);
        QCOMPARE(int(h.window->store().SpellBytes(0, n)), after);
        QCOMPARE(h.window->store().FileChanged, before != after);
    }

    // The number box stores on every key, asks on every key of a special
    // slot, and resets out-of-range text to 0 as an edit of its own.
    void numberBox() {
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
        QCOMPARE(h.rawLine().mid(3, 2), "7D");
        expectWarning(h, texts::OutOfRange, Answer::Ok);
        h.type("txtByte2", "9");
        QCOMPARE(h.edit("txtByte2")->text(), "0");
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(0));

        h.select(1);
        for (int i = 0; i < 3; ++i) // emptied, 4, 42
            expectWarning(h, texts::SpecialSlot, Answer::Yes);
        h.key("txtByte2", Qt::Key_Backspace);
        h.type("txtByte2", "42");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(1, 2), quint8(42));
    }

    void effectChangeRebuildsByte2() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x18, 8, 16, 2, 1, 184, 33});
        h.startPicking(image, true);
        expectWarning(h, texts::ReadOnlyImage, Answer::Ok);
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.shown("txtByte2") && !h.shown("cbByte2"));
        QCOMPARE(h.edit("txtByte2")->text(), "8");
        h.prompter.expectOpen(h.path, false);
        h.trigger("menuFileOpen");
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.shown("cbByte2") && !h.shown("txtByte2"));
        QCOMPARE(h.combo("cbByte2")->currentText(), "Dark");
        QCOMPARE(h.rawLine(), "18 08 10 02 03 B8 21 ");
    }

    // Typed First Byte text counts on Enter or on leaving the box; what is
    // not a value is out of range and the stored byte comes back.
    void firstByteTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hex") << "a0" << true << 0xA0 << "A0";
        QTest::newRow("item text, left") << "6b High-Level" << false << 0x6B << "6B High-Level";
        QTest::newRow("blanks around") << " 20 " << true << 0x20 << "20 ZAP!";
        for (const char *bad : {"Damaging", "Fire", "1 8", "100", "zz"})
            QTest::newRow(bad) << bad << true << -1 << "18 Damaging";
    }
    void firstByteTyped() {
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        EditorHarness h;
        h.startOn(plainImage());
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", typed);
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x18)); // nothing half-typed
        if (stored < 0)
            expectWarning(h, texts::OutOfRange, Answer::Ok);
        if (byEnter)
            h.key("cbByte1", Qt::Key_Return);
        else
            h.combo("cbByte3")->setFocus();
        QVERIFY(h.prompter.done());
        QCOMPARE(int(h.window->store().SpellBytes(0, 1)), stored < 0 ? 0x18 : stored);
        QCOMPARE(h.combo("cbByte1")->currentText(), shown);
    }

    // Typed text still in the First Byte box is applied, with its messages,
    // before a command looks at the change marks.
    void pendingTextBeforeCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("special");
        for (const char *c : {"close box", "menuFileExit", "menuFileOpen", "menuFileSave"}) {
            QTest::addRow("%s", c) << c << false;
            QTest::addRow("%s, special slot", c) << c << true;
        }
    }
    void pendingTextBeforeCommands() {
        QFETCH(QString, command);
        QFETCH(bool, special);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, special ? Special : Ordinary);
        h.startOn(image);
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "20");
        if (special)
            expectWarning(h, texts::SpecialSlot, Answer::Yes);
        if (command == "menuFileSave") {
            image[Records] = 0x20;
            QCOMPARE(save(h), image);
        } else {
            h.prompter.expect(command == "menuFileOpen" ? texts::UnsavedOpen : texts::UnsavedQuit,
                              Buttons::YesNo, Icon::Warning, Answer::No);
            if (command == "close box")
                h.window->close();
            else
                h.trigger(qPrintable(command));
            QVERIFY(h.window->isVisible());
        }
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x20));
    }

    // The name box lets in only what a name can hold, however it arrives,
    // and then shows exactly what was stored.
    void nameBox() {
        EditorHarness h;
        QByteArray image = plainImage();
        setName(image, 0, bytes({0x8A, 0x8B, 0xFF, 0xFF}));
        h.startOn(image);
        QLineEdit *name = h.edit("txtName");
        h.key("txtName", Qt::Key_End);
        h.key("txtName", Qt::Key_Backspace);
        h.key("txtName", Qt::Key_Backspace);
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x8A, 0x8B}));
        const Qt::KeyboardModifiers held[] = {Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier,
                                              Qt::MetaModifier, Qt::GroupSwitchModifier};
        for (Qt::KeyboardModifiers m : held) {
            QTest::keyClick(name, '@', m);
            QTest::keyClick(name, '#', m);
        }
        QTest::keyClick(name, Qt::Key_Semicolon);
        QCOMPARE(name->text(), "AB");
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("@\u00e9z"));
        QApplication::sendEvent(name, &commit);
        QCOMPARE(name->text(), "ABz");
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x8A, 0x8B, 0xBD}));
        h.paste("txtName", "A@b");
        QCOMPARE(name->text(), "Ab");
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x8A, 0xA5}));
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
        QVERIFY(h.prompter.messages.isEmpty());
        QCOMPARE(save(h).mid(0x2BE13, 5), bytes({0x85, 0xC4, 0x8A, 0xA5, 0x00}));
    }

    void readOnlyNameAsksTwiceForAFullName() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        expectWarning(h, texts::ReadOnlyImage, Answer::Ok);
        expectWarning(h, texts::ReadOnlyImage, Answer::Cancel);
        h.key("txtName", Qt::Key_End);
        h.type("txtName", "E");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.edit("txtName")->text(), "AAAA");
        QVERIFY(!h.window->store().FileChanged);
    }

    // The wheel turns only the list that has the focus.
    void wheelNeedsTheFocus() {
        EditorHarness h;
        h.startOn(plainImage());
        QComboBox *box = h.combo("cbByte6");
        const auto wheel = [&] {
            QWheelEvent e(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &e);
        };
        h.combo("cbSpellName")->setFocus();
        wheel();
        wheel();
        QVERIFY(!h.window->store().FileChanged);
        box->setFocus();
        wheel();
        QVERIFY(h.window->store().FileChanged);
    }

    // With no image, edits touch no table and ask nothing.
    void nothingIsStoredWithoutASlot() {
        EditorHarness h;
        h.prompter.expectOpenCancel();
        h.window->Form_Load();
        h.activate();
        h.type("txtName", "AB");
        h.type("txtByte2", "999");
        h.type("cbByte1", "FF");
        h.key("cbByte1", Qt::Key_Return);
        h.pick("cbByte3", "Fire");
        h.trigger("menuFileExit");
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(!h.window->isVisible());
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
