#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"

#include <QTest>

using namespace corvantis;

namespace {

int asInt(std::optional<quint8> value) {
    return value ? int(*value) : -1;
}

// The value of each valid item, worked out from the rules as the game states
// them rather than copied from the codec's tables.
QList<int> powersOfTwo(int from, int count) {
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values << (1 << (from + i));
    return values;
}

QList<int> effectValues() {
    QList<int> values;
    for (int i = 0; i < 17; ++i) {
        int v = i;
        if (v > 5)
            ++v;
        if (v > 10)
            ++v;
        values << v;
    }
    return values;
}

QList<int> appearanceValues() {
    QList<int> values{0};
    for (int i = 1; i < 9; ++i)
        values << 168 + 8 * i;
    return values;
}

QList<int> paletteValues() {
    QList<int> values{0};
    for (int i = 1; i < 14; ++i)
        values << 31 + i;
    return values;
}

const QStringList &listOf(int byteNumber, int effectIndex) {
    return byteNumber == 2 ? EffectivenessItems(effectIndex) : FieldItems(byteNumber);
}

// Effect indexes under which byte 2 is a plain number.
const QList<int> numberEffects{-1, 0, 1, 2, 4, 5, 6, 8, 10, 11, 12, 13, 14, 15, 17, 18, 99};

} // namespace

class TestFieldsCodec : public QObject {
    Q_OBJECT

  private slots:
    void listFieldsOverAllValues_data();
    void listFieldsOverAllValues();
    void numberCaseOverAllValues();
    void firstByteOverAllValues();
    void decodeExamples_data();
    void decodeExamples();
    void pickExamples_data();
    void pickExamples();
    void textGoesToTheRightReader_data();
    void textGoesToTheRightReader();
    void unknownFieldsHaveNoRule();
};

void TestFieldsCodec::listFieldsOverAllValues_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("byte 2, Negative Effect") << 2 << 3 << powersOfTwo(0, 8);
    QTest::newRow("byte 2, Positive Effect") << 2 << 7 << powersOfTwo(2, 5);
    QTest::newRow("byte 2, Elemental Resist") << 2 << 9 << QList<int>{16, 32, 64, 137, 255};
    QTest::newRow("byte 2, Stronger Negatives") << 2 << 16 << QList<int>{1, 8, 16};
    QTest::newRow("Elemental") << 3 << -1 << (QList<int>{0} + powersOfTwo(0, 8));
    QTest::newRow("Targetting") << 4 << -1 << powersOfTwo(0, 5);
    QTest::newRow("Effect") << 5 << -1 << effectValues();
    QTest::newRow("Appearance") << 6 << -1 << appearanceValues();
    QTest::newRow("Color Palette") << 7 << -1 << paletteValues();
    // The effect index only steers byte 2.
    QTest::newRow("Elemental under a list effect") << 3 << 9 << (QList<int>{0} + powersOfTwo(0, 8));
    QTest::newRow("Effect under a list effect") << 5 << 3 << effectValues();
}

void TestFieldsCodec::listFieldsOverAllValues() {
    QFETCH(int, byteNumber);
    QFETCH(int, effectIndex);
    QFETCH(QList<int>, values);

    const int k = int(values.size());
    const QStringList &items = listOf(byteNumber, effectIndex);
    QCOMPARE(InvalidIndex(byteNumber, effectIndex), k);
    QCOMPARE(int(items.size()), k + 1);
    QCOMPARE(items.at(k), InvalidValueText);

    for (int v = 0; v < 256; ++v) {
        const DecodedField shown = DecodeField(byteNumber, quint8(v), effectIndex);
        QVERIFY(shown.text.isEmpty());
        const int expected = int(values.indexOf(v));
        if (expected >= 0) {
            QCOMPARE(shown.index, expected);
            QVERIFY(IsValidValue(byteNumber, quint8(v), effectIndex));
            QCOMPARE(asInt(EncodeField(byteNumber, shown.index, effectIndex)), v);
        } else {
            QCOMPARE(shown.index, k);
            QVERIFY(!IsValidValue(byteNumber, quint8(v), effectIndex));
            QCOMPARE(asInt(EncodeField(byteNumber, shown.index, effectIndex)), -1);
        }
    }

    // Any index past the last valid item, and any negative one, has no value.
    for (int index : {-1000, -2, -1, k, k + 1, k + 50, 1000000})
        QCOMPARE(asInt(EncodeField(byteNumber, index, effectIndex)), -1);
}

void TestFieldsCodec::numberCaseOverAllValues() {
    for (int e : numberEffects) {
        QVERIFY(!IsEffectivenessList(e));
        QCOMPARE(InvalidIndex(2, e), -1);
        for (int v = 0; v < 256; ++v) {
            const DecodedField shown = DecodeField(2, quint8(v), e);
            QCOMPARE(shown.index, -1);
            QCOMPARE(shown.text, QString::number(v));
            QVERIFY(IsValidValue(2, quint8(v), e));
            QCOMPARE(asInt(EncodeField(2, shown.text, e)), v);
        }
        // A number box has no items to pick.
        QCOMPARE(asInt(EncodeField(2, 0, e)), -1);
    }
}

void TestFieldsCodec::firstByteOverAllValues() {
    const QList<int> listed{0x00, 0x18, 0x20, 0x28, 0x30, 0x40, 0x6B, 0xFF};
    const QStringList &items = FieldItems(1);
    QCOMPARE(InvalidIndex(1), -1);

    for (int v = 0; v < 256; ++v) {
        const DecodedField shown = DecodeField(1, quint8(v));
        const int expected = int(listed.indexOf(v));
        QCOMPARE(shown.index, expected);
        QCOMPARE(IsValidValue(1, quint8(v)), expected >= 0);
        if (expected >= 0) {
            QVERIFY(shown.text.isEmpty());
            QCOMPARE(asInt(EncodeField(1, expected)), v);
            // Each item's text begins with its value as two upper-case hex digits.
            const QString item = items.at(expected);
            QCOMPARE(item.left(3), QString::asprintf("%02X ", v));
            QCOMPARE(asInt(ReadFirstByte(item)), v);
            QCOMPARE(asInt(EncodeField(1, item)), v);
        } else {
            QCOMPARE(shown.text, QString::asprintf("%X", v));
            QCOMPARE(asInt(ReadFirstByte(shown.text)), v);
            QCOMPARE(asInt(EncodeField(1, shown.text)), v);
            QCOMPARE(asInt(EncodeField(1, shown.text.toLower())), v);
        }
    }
    for (int index : {-1, 8, 9, 100})
        QCOMPARE(asInt(EncodeField(1, index)), -1);
}

// What a field shows for a stored byte, from the game's own examples.
void TestFieldsCodec::decodeExamples_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("Elemental 3") << 3 << -1 << 3 << 9 << "";
    QTest::newRow("Elemental 0") << 3 << -1 << 0 << 0 << "";
    QTest::newRow("Elemental 128") << 3 << -1 << 128 << 8 << "";
    QTest::newRow("Elemental 16 is Fire") << 3 << -1 << 16 << 5 << "";
    QTest::newRow("Targetting 0") << 4 << -1 << 0 << 5 << "";
    QTest::newRow("Targetting 32") << 4 << -1 << 32 << 5 << "";
    QTest::newRow("Effect 6") << 5 << -1 << 6 << 17 << "";
    QTest::newRow("Effect 11") << 5 << -1 << 11 << 17 << "";
    QTest::newRow("Effect 19") << 5 << -1 << 19 << 17 << "";
    QTest::newRow("Effect 255") << 5 << -1 << 255 << 17 << "";
    QTest::newRow("Effect 12") << 5 << -1 << 12 << 10 << "";
    QTest::newRow("Appearance 240") << 6 << -1 << 240 << 9 << "";
    QTest::newRow("Appearance 177") << 6 << -1 << 177 << 9 << "";
    QTest::newRow("Appearance 232") << 6 << -1 << 232 << 8 << "";
    QTest::newRow("Color Palette 31") << 7 << -1 << 31 << 14 << "";
    QTest::newRow("Color Palette 45") << 7 << -1 << 45 << 14 << "";
    QTest::newRow("Color Palette 44") << 7 << -1 << 44 << 13 << "";
    QTest::newRow("First Byte 24") << 1 << -1 << 24 << 1 << "";
    QTest::newRow("First Byte 255") << 1 << -1 << 255 << 7 << "";
    QTest::newRow("First Byte 5") << 1 << -1 << 5 << -1 << "5";
    QTest::newRow("First Byte 16") << 1 << -1 << 16 << -1 << "10";
    QTest::newRow("First Byte 160") << 1 << -1 << 160 << -1 << "A0";
    QTest::newRow("First Byte 171") << 1 << -1 << 171 << -1 << "AB";
    QTest::newRow("byte 2 = 8, Negative Effect") << 2 << 3 << 8 << 3 << "";
    QTest::newRow("byte 2 = 8, Positive Effect") << 2 << 7 << 8 << 1 << "";
    QTest::newRow("byte 2 = 8, Elemental Resist") << 2 << 9 << 8 << 5 << "";
    QTest::newRow("byte 2 = 8, Stronger Negatives") << 2 << 16 << 8 << 1 << "";
    QTest::newRow("byte 2 = 8, Damage") << 2 << 1 << 8 << -1 << "8";
    QTest::newRow("byte 2 = 137, Elemental Resist") << 2 << 9 << 137 << 3 << "";
    QTest::newRow("byte 2 = 255, Elemental Resist") << 2 << 9 << 255 << 4 << "";
    QTest::newRow("byte 2 = 128, Elemental Resist") << 2 << 9 << 128 << 5 << "";
    QTest::newRow("byte 2 = 128, Negative Effect") << 2 << 3 << 128 << 7 << "";
    QTest::newRow("byte 2 = 0, Negative Effect") << 2 << 3 << 0 << 8 << "";
    QTest::newRow("byte 2 = 0, Positive Effect") << 2 << 7 << 0 << 5 << "";
    QTest::newRow("byte 2 = 0, Elemental Resist") << 2 << 9 << 0 << 5 << "";
    QTest::newRow("byte 2 = 0, Stronger Negatives") << 2 << 16 << 0 << 3 << "";
    QTest::newRow("byte 2 = Kill and Break together") << 2 << 3 << 3 << 8 << "";
    QTest::newRow("byte 2, no effect chosen") << 2 << -1 << 7 << -1 << "7";
    QTest::newRow("byte 2, Effect's Invalid Value") << 2 << 17 << 255 << -1 << "255";
    QTest::newRow("byte 2 = 0 as a number") << 2 << 0 << 0 << -1 << "0";
}

void TestFieldsCodec::decodeExamples() {
    QFETCH(int, byteNumber);
    QFETCH(int, effectIndex);
    QFETCH(int, value);
    QFETCH(int, index);
    QFETCH(QString, text);

    const DecodedField shown = DecodeField(byteNumber, quint8(value), effectIndex);
    QCOMPARE(shown.index, index);
    QCOMPARE(shown.text, text);
}

// The value a picked item stands for; -1 is an invalid pick.
void TestFieldsCodec::pickExamples_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");

    QTest::newRow("Elemental Fire") << 3 << -1 << 5 << 16;
    QTest::newRow("Elemental 8") << 3 << -1 << 8 << 128;
    QTest::newRow("Elemental 9") << 3 << -1 << 9 << -1;
    QTest::newRow("Effect 5") << 5 << -1 << 5 << 5;
    QTest::newRow("Effect 6") << 5 << -1 << 6 << 7;
    QTest::newRow("Effect 9") << 5 << -1 << 9 << 10;
    QTest::newRow("Effect 10") << 5 << -1 << 10 << 12;
    QTest::newRow("Effect 16") << 5 << -1 << 16 << 18;
    QTest::newRow("Effect 17") << 5 << -1 << 17 << -1;
    QTest::newRow("Color Palette 13") << 7 << -1 << 13 << 44;
    QTest::newRow("Color Palette 14") << 7 << -1 << 14 << -1;
    QTest::newRow("Appearance 1") << 6 << -1 << 1 << 0xB0;
    QTest::newRow("byte 2 item 4, Elemental Resist") << 2 << 9 << 4 << 255;
    QTest::newRow("byte 2 item 3, Elemental Resist") << 2 << 9 << 3 << 137;
    QTest::newRow("byte 2 item 0, Stronger Negatives") << 2 << 16 << 0 << 1;
    QTest::newRow("byte 2 item 3, Stronger Negatives") << 2 << 16 << 3 << -1;
    QTest::newRow("First Byte 6") << 1 << -1 << 6 << 0x6B;
    QTest::newRow("no selection") << 4 << -1 << -1 << -1;
}

void TestFieldsCodec::pickExamples() {
    QFETCH(int, byteNumber);
    QFETCH(int, effectIndex);
    QFETCH(int, index);
    QFETCH(int, value);
    QCOMPARE(asInt(EncodeField(byteNumber, index, effectIndex)), value);
}

void TestFieldsCodec::textGoesToTheRightReader_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("byte 2 number reads decimal") << 2 << 1 << "10" << 10;
    QTest::newRow("byte 2 number reads &H") << 2 << -1 << "&H10" << 16;
    QTest::newRow("byte 1 reads hex") << 1 << -1 << "10" << 16;
    QTest::newRow("byte 1 ignores the effect") << 1 << 3 << "1F" << 31;
    QTest::newRow("byte 2 under a list takes no text") << 2 << 3 << "10" << -1;
    QTest::newRow("list field takes no text") << 3 << -1 << "16" << -1;
}

void TestFieldsCodec::textGoesToTheRightReader() {
    QFETCH(int, byteNumber);
    QFETCH(int, effectIndex);
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(asInt(EncodeField(byteNumber, text, effectIndex)), value);
}

void TestFieldsCodec::unknownFieldsHaveNoRule() {
    for (int n : {-1, 0, 8, 100}) {
        QCOMPARE(InvalidIndex(n), -1);
        QCOMPARE(asInt(EncodeField(n, 0)), -1);
        QCOMPARE(asInt(EncodeField(n, QString("1"))), -1);
        const DecodedField shown = DecodeField(n, 1);
        QCOMPARE(shown.index, -1);
        QVERIFY(shown.text.isEmpty());
        QVERIFY(!IsValidValue(n, 0));
    }
}

QTEST_APPLESS_MAIN(TestFieldsCodec)
#include "test_fields_codec.moc"
