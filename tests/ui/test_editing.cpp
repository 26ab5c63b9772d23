#include "fields/FieldLists.h"
#include "support/EditorHarness.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr qint64 RecordTable = 0x301F0;
constexpr qint64 NameTable = 0x2BE13;

// A slot whose bytes are all valid and not first in their lists, so that
// every field can be picked away from and back to its first item.
const std::initializer_list<int> Ordinary = {0x18, 7, 16, 2, 1, 184, 33};
const std::initializer_list<int> Special = {0xFF, 7, 16, 2, 1, 184, 33};

} // namespace

class TestEditing : public QObject {
    Q_OBJECT

    // Saves and returns the image's bytes; every scripted question must have
    // come.
    QByteArray save(EditorHarness &h) {
        h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question, Answer::Yes);
        h.trigger("menuFileSave");
        return h.file();
    }

  private slots:
    // The change guard over every combination of image, slot and edit.
    void guard_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("special");
        QTest::addColumn<bool>("nameEdit");
        QTest::addColumn<QString>("message"); // empty: no question
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");
        const int yes = int(Answer::Yes), no = int(Answer::No), ok = int(Answer::Ok),
                  cancel = int(Answer::Cancel);
        const QString none, sp = texts::SpecialSlot, ro = texts::ReadOnlyImage;
        QTest::newRow("writable, ordinary, record") << false << false << false << none << 0 << true;
        QTest::newRow("writable, ordinary, name") << false << false << true << none << 0 << true;
        QTest::newRow("writable, special, record, Yes")
            << false << true << false << sp << yes << true;
        QTest::newRow("writable, special, record, No")
            << false << true << false << sp << no << false;
        QTest::newRow("writable, special, name") << false << true << true << none << 0 << true;
        QTest::newRow("read-only, ordinary, record, OK")
            << true << false << false << ro << ok << false;
        QTest::newRow("read-only, ordinary, record, Cancel")
            << true << false << false << ro << cancel << false;
        QTest::newRow("read-only, ordinary, name, OK")
            << true << false << true << ro << ok << false;
        QTest::newRow("read-only, ordinary, name, Cancel")
            << true << false << true << ro << cancel << false;
        QTest::newRow("read-only, special, record, Yes")
            << true << true << false << sp << yes << true;
        QTest::newRow("read-only, special, record, No")
            << true << true << false << sp << no << false;
        QTest::newRow("read-only, special, name") << true << true << true << ro << ok << false;
    }
    void guard() {
        QFETCH(bool, readOnly);
        QFETCH(bool, special);
        QFETCH(bool, nameEdit);
        QFETCH(QString, message);
        QFETCH(int, answer);
        QFETCH(bool, stored);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 2, special ? Special : Ordinary);
        h.startPicking(image, readOnly);
        h.select(2);
        if (!message.isEmpty())
            h.prompter.expect(message,
                              message == texts::SpecialSlot ? Buttons::YesNo : Buttons::OkCancel,
                              Icon::Warning, Answer(answer));
        if (nameEdit) {
            h.key("txtName", Qt::Key_A, Qt::ControlModifier);
            h.type("txtName", "Z");
        } else {
            h.pick("cbByte3", "Ice");
        }
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(h.prompter.messages.size(), message.isEmpty() ? 0 : 1);

        const MainModule &store = h.window->store();
        if (nameEdit) {
            QCOMPARE(store.SpellNames[2], stored ? bytes({0xA3}) : bytes({0x8A, 0x8A, 0x8A, 0x8A}));
            QCOMPARE(h.edit("txtName")->text(),
                     stored ? QStringLiteral("Z") : QStringLiteral("AAAA"));
        } else {
            QCOMPARE(store.SpellBytes(2, 3), quint8(stored ? 32 : 16));
            QCOMPARE(h.combo("cbByte3")->currentText(),
                     stored ? QStringLiteral("Ice") : QStringLiteral("Fire"));
            QCOMPARE(h.rawLine().mid(6, 2), stored ? QStringLiteral("20") : QStringLiteral("10"));
        }
        QCOMPARE(store.SpellChanged[2], stored);
        QCOMPARE(store.FileChanged, stored);
        QCOMPARE(h.shown("lblSpellChanged"), stored);
        QCOMPARE(h.shown("lblFileChanged"), stored);
    }

    // A pick in every field reaches the store, the raw line and, after Save,
    // exactly its byte of the image.
    void everyFieldReachesTheFile_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("effect"); // byte 5 of the slot, choosing byte 2's list
        QTest::addColumn<int>("byteNumber");
        QTest::addColumn<int>("value");
        QTest::newRow("First Byte") << "cbByte1"
                                    << "6B High-Level" << 1 << 1 << 0x6B;
        QTest::newRow("Negative Effect") << "cbByte2"
                                         << "Sleep" << 3 << 2 << 32;
        QTest::newRow("Positive Effect") << "cbByte2"
                                         << "Cure Mute" << 8 << 2 << 64;
        QTest::newRow("Elemental Resist") << "cbByte2"
                                          << "Resist RUB" << 10 << 2 << 137;
        QTest::newRow("Stronger Negatives") << "cbByte2"
                                            << "Stun" << 18 << 2 << 16;
        QTest::newRow("Elemental") << "cbByte3"
                                   << "Earth" << 1 << 3 << 128;
        QTest::newRow("Targetting") << "cbByte4"
                                    << "One Ally" << 1 << 4 << 16;
        QTest::newRow("Effect") << "cbByte5"
                                << "Nullify Resist" << 1 << 5 << 17;
        QTest::newRow("Appearance") << "cbByte6"
                                    << "Sparkling Hand" << 1 << 6 << 232;
        QTest::newRow("Color Palette") << "cbByte7"
                                       << "Whitish" << 1 << 7 << 44;
    }
    void everyFieldReachesTheFile() {
        QFETCH(QString, control);
        QFETCH(QString, item);
        QFETCH(int, effect);
        QFETCH(int, byteNumber);
        QFETCH(int, value);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 40, {0x18, 7, 16, 2, effect, 184, 33});
        h.startOn(image);
        h.select(40);
        h.pick(qPrintable(control), item);
        QVERIFY(h.prompter.messages.isEmpty());
        QCOMPARE(int(h.window->store().SpellBytes(40, byteNumber)), value);
        QCOMPARE(h.rawLine().mid(3 * (byteNumber - 1), 3),
                 QStringLiteral("%1 ").arg(value, 2, 16, QLatin1Char('0')).toUpper());
        QVERIFY(h.shown("lblSpellChanged") && h.shown("lblFileChanged"));

        QByteArray expected = image;
        expected[RecordTable + 40 * 8 + byteNumber - 1] = char(value);
        QCOMPARE(save(h), expected);
    }

    void pickingTheShownItemChangesNothing() {
        EditorHarness h;
        QByteArray image = plainImage();
        h.startOn(image);
        for (const char *box : {"cbByte3", "cbByte4", "cbByte5", "cbByte6", "cbByte7", "cbByte1"})
            h.pick(box, h.combo(box)->currentText());
        QVERIFY(h.prompter.messages.isEmpty());
        QVERIFY(!h.window->store().FileChanged);
        QVERIFY(!h.shown("lblFileChanged"));
    }

    // "Invalid Value" over a valid byte stands for the list's first item.
    void invalidPickOverAValidByte_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("byteNumber");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("Elemental") << "cbByte3" << 1 << 3 << 16 << 0;
        QTest::newRow("Targetting") << "cbByte4" << 1 << 4 << 2 << 1;
        QTest::newRow("Effect") << "cbByte5" << 1 << 5 << 1 << 0;
        QTest::newRow("Appearance") << "cbByte6" << 1 << 6 << 184 << 0;
        QTest::newRow("Color Palette") << "cbByte7" << 1 << 7 << 33 << 0;
        QTest::newRow("Negative Effect") << "cbByte2" << 3 << 2 << 8 << 1;
        QTest::newRow("Positive Effect") << "cbByte2" << 8 << 2 << 8 << 4;
        QTest::newRow("Elemental Resist") << "cbByte2" << 10 << 2 << 32 << 16;
        QTest::newRow("Stronger Negatives") << "cbByte2" << 18 << 2 << 8 << 1;
        QTest::newRow("already the first item") << "cbByte4" << 1 << 4 << 1 << 1;
    }
    void invalidPickOverAValidByte() {
        QFETCH(QString, control);
        QFETCH(int, effect);
        QFETCH(int, byteNumber);
        QFETCH(int, before);
        QFETCH(int, after);
        EditorHarness h;
        QByteArray image = plainImage();
        QList<int> record{0x18, 8, 16, 2, effect, 184, 33};
        record[byteNumber - 1] = before;
        setRecord(image, 0,
                  {record[0], record[1], record[2], record[3], record[4], record[5], record[6]});
        h.startOn(image);
        h.pick(qPrintable(control), InvalidValueText);
        QCOMPARE(h.combo(qPrintable(control))->currentIndex(), 0);
        QCOMPARE(int(h.window->store().SpellBytes(0, byteNumber)), after);
        QCOMPARE(h.window->store().FileChanged, before != after);
        QVERIFY(h.prompter.messages.isEmpty());
    }

    void invalidPickOverAnInvalidByte() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x18, 0, 3, 2, 1, 184, 33});
        h.startOn(image);
        h.pick("cbByte3", "Fire");
        h.pick("cbByte3", InvalidValueText);
        // Fire was stored; back on "Invalid Value" the first item is taken.
        QCOMPARE(h.window->store().SpellBytes(0, 3), quint8(0));
        // A byte that no item stands for stays as it is.
        EditorHarness g;
        g.startOn(image);
        QCOMPARE(g.combo("cbByte3")->currentText(), InvalidValueText);
        g.pick("cbByte3", InvalidValueText);
        QCOMPARE(g.window->store().SpellBytes(0, 3), quint8(3));
        QCOMPARE(g.combo("cbByte3")->currentText(), InvalidValueText);
        QVERIFY(!g.window->store().FileChanged);
        QVERIFY(g.prompter.messages.isEmpty());
    }

    void typingANumberIsAnEditPerKey() {
        EditorHarness h;
        h.startOn(plainImage());
        h.key("txtByte2", Qt::Key_A, Qt::ControlModifier);
        h.key("txtByte2", Qt::Key_Backspace);
        QCOMPARE(h.edit("txtByte2")->text(), QString());
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(0));
        QList<int> seen;
        for (const char *digit : {"1", "2", "5"}) {
            h.type("txtByte2", digit);
            seen << h.window->store().SpellBytes(0, 2);
        }
        QCOMPARE(seen, (QList<int>{1, 12, 125}));
        QCOMPARE(h.rawLine().mid(3, 2), QStringLiteral("7D"));
        QVERIFY(h.prompter.messages.isEmpty());
        // Text that begins with no number reads as 0.
        h.type("txtByte2", "x");
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(125));
        h.paste("txtByte2", "abc");
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(0));
    }

    void everyKeyAsksOnASpecialSlot() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, Special);
        h.startOn(image);
        h.key("txtByte2", Qt::Key_A, Qt::ControlModifier);
        for (int i = 0; i < 4; ++i) // emptied, 1, 12, 125
            h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.key("txtByte2", Qt::Key_Backspace);
        h.type("txtByte2", "125");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(125));
    }

    void outOfRangeResetsToZero_data() {
        QTest::addColumn<bool>("special");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        const QString range = texts::OutOfRange;
        QTest::newRow("ordinary") << false << false << QStringList{range} << 0 << "0";
        QTest::newRow("special") << true << false << QStringList{texts::SpecialSlot, range} << 0
                                 << "0";
        QTest::newRow("read-only")
            << false << true << QStringList{texts::ReadOnlyImage, range} << 7 << "7";
    }
    void outOfRangeResetsToZero() {
        QFETCH(bool, special);
        QFETCH(bool, readOnly);
        QFETCH(QStringList, messages);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, special ? Special : Ordinary);
        h.startPicking(image, readOnly);
        for (const QString &m : messages)
            h.prompter.expect(m, m == texts::SpecialSlot ? Buttons::YesNo : Buttons::OkCancel,
                              Icon::Warning, m == texts::SpecialSlot ? Answer::Yes : Answer::Ok);
        h.paste("txtByte2", "300");
        QVERIFY2(h.prompter.done(), qPrintable(h.prompter.pending()));
        QCOMPARE(int(h.window->store().SpellBytes(0, 2)), stored);
        QCOMPARE(h.edit("txtByte2")->text(), shown);
    }

    void hugeNumbersAreOutOfRange() {
        EditorHarness h;
        h.startOn(plainImage());
        for (const QString &text : {QStringLiteral("1e9"), QString(400, QLatin1Char('9')),
                                    QStringLiteral("-1"), QStringLiteral("255.5")}) {
            h.prompter.expect(texts::OutOfRange, Buttons::OkCancel, Icon::Warning, Answer::Ok);
            h.paste("txtByte2", text);
            QVERIFY2(h.prompter.done(), qPrintable(text));
            QCOMPARE(h.edit("txtByte2")->text(), QStringLiteral("0"));
        }
        h.paste("txtByte2", "255.4");
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(255));
    }

    void effectChangeRebuildsByte2() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x18, 8, 16, 2, 1, 184, 33});
        setRecord(image, 1, {0x18, 0, 16, 2, 1, 184, 33});
        h.startOn(image);
        QVERIFY(h.shown("txtByte2"));
        h.pick("cbByte5", "Negative Effect");
        QCOMPARE(h.window->store().SpellBytes(0, 5), quint8(3));
        QVERIFY(h.shown("cbByte2") && !h.shown("txtByte2"));
        QCOMPARE(h.combo("cbByte2")->currentText(), QStringLiteral("Dark"));
        QCOMPARE(h.window->store().SpellBytes(0, 2), quint8(8));

        h.select(1);
        h.pick("cbByte5", "Negative Effect");
        QCOMPARE(h.combo("cbByte2")->currentText(), InvalidValueText);
        QCOMPARE(h.window->store().SpellBytes(1, 2), quint8(0));
        QCOMPARE(h.rawLine(), QStringLiteral("18 00 10 02 03 B8 21 "));
    }

    void refusedEffectChangeKeepsTheField() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x18, 8, 16, 2, 1, 184, 33});
        h.startPicking(image, true);
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.combo("cbByte5")->currentText(), QStringLiteral("Damage"));
        QVERIFY(h.shown("txtByte2") && !h.shown("cbByte2"));
        QCOMPARE(h.edit("txtByte2")->text(), QStringLiteral("8"));
        QCOMPARE(h.window->store().SpellBytes(0, 5), quint8(1));
    }

    void firstByteItems_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("value");
        const QList<int> values{0x00, 0x18, 0x20, 0x28, 0x30, 0x40, 0x6B, 0xFF};
        for (int i = 0; i < values.size(); ++i)
            QTest::newRow(qPrintable(QString::number(values[i], 16))) << QString() << values[i];
    }
    void firstByteItems() {
        QFETCH(int, value);
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, {0x99, 8, 16, 2, 1, 184, 33});
        h.startOn(image);
        QCOMPARE(h.combo("cbByte1")->currentText(), QStringLiteral("99"));
        const QString item = h.combo("cbByte1")->itemText(h.combo("cbByte1")->findText(
            QStringLiteral("%1 ").arg(value, 2, 16, QLatin1Char('0')).toUpper(),
            Qt::MatchStartsWith));
        h.pick("cbByte1", item);
        QCOMPARE(int(h.window->store().SpellBytes(0, 1)), value);
        QCOMPARE(h.combo("cbByte1")->currentText(), item);
        QVERIFY(h.prompter.messages.isEmpty());
    }

    void firstByteTyped() {
        EditorHarness h;
        h.startOn(plainImage());
        QLineEdit *box = h.combo("cbByte1")->lineEdit();
        // Enter applies typed hex; half-typed text is not an edit.
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "a");
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x18));
        h.type("cbByte1", "0");
        h.key("cbByte1", Qt::Key_Return);
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0xA0));
        QCOMPARE(box->text(), QStringLiteral("A0"));
        QCOMPARE(h.combo("cbByte1")->currentIndex(), -1);

        // Leaving the box applies it too.
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "6b");
        h.combo("cbByte3")->setFocus();
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x6B));
        QCOMPARE(box->text(), QStringLiteral("6B High-Level"));

        // Garbage is out of range and the stored byte comes back.
        h.prompter.expect(texts::OutOfRange, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "zz");
        h.key("cbByte1", Qt::Key_Return);
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x6B));
        QCOMPARE(box->text(), QStringLiteral("6B High-Level"));
        h.prompter.expect(texts::OutOfRange, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "100");
        h.key("cbByte1", Qt::Key_Return);
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x6B));
    }

    void refusedFirstByteShowsTheStoredItemAgain() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "20");
        h.key("cbByte1", Qt::Key_Return);
        QVERIFY(h.prompter.done());
        QCOMPARE(h.combo("cbByte1")->currentText(), QStringLiteral("18 Damaging"));
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x18));
    }

    void firstByteDecidesTheQuestionByTheStoredValue() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 0, Special);
        h.startOn(image);
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.pick("cbByte1", "18 Damaging");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 1), quint8(0x18));
        // Into a special slot: no question, but the next edit asks.
        h.pick("cbByte1", "FF Non-combat");
        QCOMPARE(h.prompter.messages.size(), 1);
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::No);
        h.pick("cbByte6", "Stars");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 6), quint8(184));
        QCOMPARE(h.combo("cbByte6")->currentText(), QStringLiteral("Four Sparkles"));
    }

    void deletingThePaddingRenames() {
        EditorHarness h;
        QByteArray image = plainImage();
        setName(image, 2, bytes({0x8F, 0x98, 0x90, 0xFF}));
        h.startOn(image);
        h.select(2);
        QCOMPARE(h.edit("txtName")->text(), QStringLiteral("FOG "));
        h.key("txtName", Qt::Key_End);
        h.key("txtName", Qt::Key_Backspace);
        QCOMPARE(h.window->store().SpellNames[2], bytes({0x8F, 0x98, 0x90}));
        QVERIFY(h.shown("lblSpellChanged") && h.shown("lblFileChanged"));
        QCOMPARE(save(h).mid(NameTable + 2 * 5, 5), bytes({0x8F, 0x98, 0x90, 0xFF, 0x00}));
    }

    void namesKeepTheirLastFourCharacters() {
        EditorHarness h;
        h.startOn(plainImage());
        h.key("txtName", Qt::Key_A, Qt::ControlModifier);
        h.type("txtName", "Hi-5");
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x91, 0xAC, 0xC2, 0x85}));
        h.key("txtName", Qt::Key_End);
        h.type("txtName", "!");
        QCOMPARE(h.edit("txtName")->text(), QStringLiteral("i-5!"));
        QCOMPARE(h.window->store().SpellNames[0], bytes({0xAC, 0xC2, 0x85, 0xC4}));
        h.key("txtName", Qt::Key_A, Qt::ControlModifier);
        h.type("txtName", "Q");
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x9A}));
        // A paste is not filtered; what has no byte is dropped when stored.
        h.paste("txtName", "abcdefg@#!");
        QCOMPARE(h.edit("txtName")->text(), QStringLiteral("g@#!"));
        QCOMPARE(h.window->store().SpellNames[0], bytes({0xAA, 0xC4}));
        QVERIFY(h.prompter.messages.isEmpty());
        QCOMPARE(save(h).mid(NameTable, 5), bytes({0xAA, 0xC4, 0xFF, 0xFF, 0x00}));
    }

    void refusedKeysTypeNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("at sign") << int(Qt::Key_At) << "@";
        QTest::newRow("number sign") << int(Qt::Key_NumberSign) << "#";
        QTest::newRow("accented letter") << int(Qt::Key_Eacute) << QStringLiteral("\u00e9");
        QTest::newRow("Enter") << int(Qt::Key_Return) << "\r";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "\x1b";
        QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << ";";
    }
    void refusedKeysTypeNothing() {
        QFETCH(int, key);
        QFETCH(QString, text);
        EditorHarness h;
        QByteArray image = plainImage();
        setName(image, 0, bytes({0x8A, 0x8B, 0xFF, 0xFF}));
        h.startOn(image);
        QLineEdit *name = h.edit("txtName");
        name->setFocus();
        name->setCursorPosition(2);
        QTest::sendKeyEvent(QTest::Click, name, Qt::Key(key), text, Qt::NoModifier);
        QCOMPARE(name->text(), QStringLiteral("AB  "));
        QVERIFY(!h.window->store().FileChanged);
        // Backspace is the one control key that goes through.
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(name->text(), QStringLiteral("A  "));
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x8A, 0xFF, 0xFF}));
    }

    void readOnlyNameAsksTwiceForAFullName() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        h.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Cancel);
        h.key("txtName", Qt::Key_End);
        h.type("txtName", "E");
        QVERIFY(h.prompter.done());
        QCOMPARE(h.edit("txtName")->text(), QStringLiteral("AAAA"));
        QCOMPARE(h.window->store().SpellNames[0], bytes({0x8A, 0x8A, 0x8A, 0x8A}));
        QVERIFY(!h.window->store().FileChanged);
    }

    void nothingIsStoredWithoutASlot() {
        EditorHarness h;
        h.prompter.expectOpenCancel();
        h.window->Form_Load();
        h.activate();
        h.type("txtName", "AB");
        h.type("txtByte2", "999");
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "FF");
        h.key("cbByte1", Qt::Key_Return);
        h.pick("cbByte5", "Negative Effect");
        QVERIFY(h.prompter.messages.isEmpty());
        const MainModule fresh;
        for (int slot = 0; slot < 64; ++slot) {
            QCOMPARE(h.window->store().SpellNames[slot], fresh.SpellNames[slot]);
            for (int n = 1; n <= 7; ++n)
                QCOMPARE(h.window->store().SpellBytes(slot, n), quint8(0));
        }
        QVERIFY(!h.window->store().FileChanged);
    }

    // Every field of a slot can be reached and changed from the keyboard.
    void keyboardOnly() {
        EditorHarness h;
        h.startOn(plainImage());
        QWidget *focus = h.combo("cbSpellName");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Down); // slot 1
        QCOMPARE(h.combo("cbSpellName")->currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.edit("txtName"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // raw line
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.combo("cbByte4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(h.window->store().SpellBytes(1, 4), quint8(2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.edit("txtByte2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "42");
        QCOMPARE(h.window->store().SpellBytes(1, 2), quint8(42));
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
