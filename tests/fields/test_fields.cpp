#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"

#include <QTest>

using namespace corvantis;

namespace {

constexpr int Out = -1; // out of range

int asInt(std::optional<quint8> v) {
    return v ? int(*v) : Out;
}

QList<int> powers(int from, int count) {
    QList<int> v;
    for (int i = 0; i < count; ++i)
        v << (1 << (from + i));
    return v;
}

// Item values as the game states them, worked out apart from the codec.
QList<int> effectValues() {
    QList<int> v;
    for (int i = 0; i < 17; ++i)
        v << i + (i > 5) + (i > 9);
    return v;
}
QList<int> appearanceValues() {
    QList<int> v{0};
    for (int i = 1; i < 9; ++i)
        v << 168 + 8 * i;
    return v;
}
QList<int> paletteValues() {
    QList<int> v{0};
    for (int i = 1; i < 14; ++i)
        v << 31 + i;
    return v;
}

struct Reading {
    QString text;
    int value;
};

} // namespace

class TestFields : public QObject {
    Q_OBJECT
  private slots:
    // Every list field over all 256 values: a listed value shows its item and
    // a pick of that item gives it back; any other shows "Invalid Value",
    // whose pick (or any index past it) has no value.
    void listFieldsOverAllValues_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("effect");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("Negative Effect") << 2 << EffectNegative << powers(0, 8);
        QTest::newRow("Positive Effect") << 2 << EffectPositive << powers(2, 5);
        QTest::newRow("Elemental Resist") << 2 << EffectResist << QList<int>{16, 32, 64, 137, 255};
        QTest::newRow("Stronger Negatives") << 2 << EffectStrongerNegatives << QList<int>{1, 8, 16};
        QTest::newRow("Elemental") << 3 << EffectResist << (QList<int>{0} + powers(0, 8));
        QTest::newRow("Targetting") << 4 << -1 << powers(0, 5);
        QTest::newRow("Effect") << 5 << EffectNegative << effectValues();
        QTest::newRow("Appearance") << 6 << -1 << appearanceValues();
        QTest::newRow("Color Palette") << 7 << -1 << paletteValues();
    }
    void listFieldsOverAllValues() {
        QFETCH(int, n);
        QFETCH(int, effect);
        QFETCH(QList<int>, values);
        const int k = int(values.size());
        const QStringList &items = n == 2 ? EffectivenessItems(effect) : FieldItems(n);
        QCOMPARE(InvalidIndex(n, effect), k);
        QCOMPARE(items.size(), k + 1);
        QCOMPARE(items.last(), InvalidValueText);
        for (int v = 0; v < 256; ++v) {
            const int i = int(values.indexOf(v));
            QCOMPARE(DecodeField(n, quint8(v), effect).index, i < 0 ? k : i);
            QCOMPARE(IsValidValue(n, quint8(v), effect), i >= 0);
            QCOMPARE(asInt(EncodeField(n, i < 0 ? k : i, effect)), i < 0 ? Out : v);
        }
        for (int index : {-1, k + 1, 1000000})
            QCOMPARE(asInt(EncodeField(n, index, effect)), Out);
    }

    // Byte 2 under any other effect is a number box showing the decimal.
    void numberCaseOverAllValues() {
        for (int e : {-1, 0, 4, 8, 10, 15, 17, 99}) {
            QVERIFY(!IsEffectivenessList(e));
            for (int v = 0; v < 256; ++v) {
                const DecodedField shown = DecodeField(2, quint8(v), e);
                QCOMPARE(shown.index, -1);
                QCOMPARE(asInt(EncodeField(2, shown.text, e)), v);
            }
        }
    }

    // First Byte over all 256 values: what the box shows (an item or bare
    // hex) reads back as the stored byte.
    void firstByteOverAllValues() {
        const QList<int> listed{0x00, 0x18, 0x20, 0x28, 0x30, 0x40, 0x6B, 0xFF};
        for (int v = 0; v < 256; ++v) {
            const DecodedField shown = DecodeField(1, quint8(v));
            QCOMPARE(shown.index, int(listed.indexOf(v)));
            const QString text = shown.index < 0 ? shown.text : FieldItems(1).at(shown.index);
            if (shown.index < 0)
                QCOMPARE(text, QString::number(v, 16).toUpper());
            QCOMPARE(asInt(EncodeField(1, text)), v);
            QCOMPARE(asInt(ReadFirstByte(text.toLower())), v);
        }
    }

    void firstByteReader() {
        const Reading cases[] = {
            {"6B High-Level", 0x6B},
            {"  a0\t", 0xA0},
            {"5", 5},
            {"ff", 0xFF},
            {"18 anything at all", 0x18},
            {"0F Fire", 0x0F},
            {"Damaging", Out},
            {"Fire", Out},
            {"1 8", Out},
            {"100", Out},
            {"18Damaging", Out},
            {"", Out},
            {"  ", Out},
            {"zz", Out},
            {"-1", Out},
            {"18\tx", Out},
            {"&H18", Out},
        };
        for (const Reading &c : cases)
            QVERIFY2(asInt(ReadFirstByte(c.text)) == c.value, qPrintable(c.text));
    }

    // The number box reads as the game's own number reader does.
    void numberReader() {
        const QString nines(1000, QLatin1Char('9')), zeros(1000, QLatin1Char('0'));
        const Reading cases[] = {
            {"", 0},
            {"12abc", 12},
            {"1 2", 12},
            {"2.5", 2},
            {"3.5", 4},
            {"255.4", 255},
            {"255.5", Out},
            {"-0.4", 0},
            {"-0.5", 0},
            {"-0.50001", Out},
            {"-1", Out},
            {"1e2", 100},
            {"1D+2", 100},
            {"2555e-1", Out},
            {"2545e-1", 254},
            {"1e", 1},
            {"1ex", 1},
            {"0e99", 0},
            {".5", 0},
            {".51", 1},
            {"5.", 5},
            {"+7", 7},
            {"&HFF", 255},
            {"&h1f", 31},
            {"&o377", 255},
            {"&O400", Out},
            {"&HFFFF", Out},
            {"&O78", 7},
            {"&H", 0},
            {"&X1", 0},
            {"-&H5", Out},
            {"-&H0", 0},
            {"& h 1 0", 16},
            {"\t1\n2 3", 123},
            {"-", 0},
            {"abc", 0},
            {"--1", 0},
            {"0x10", 0},
            {"1,000", 1},
            {QString(QChar(0xFF15)), 0},
            {"5" + QString(QChar(0)) + "7", 5},
            {nines, Out},
            {nines + ".5", Out},
            {zeros + "7", 7},
            {"0." + zeros + "1", 0},
            {"1e999999", Out},
            {"1e-99999", 0},
            {"1e18446744073709551618", Out},
            {"1" + zeros + "e-998", 100},
            {"&H" + zeros + "FF", 255},
            {"&H100000001", Out},
            {QString(100000, ' ') + "7", 7},
        };
        for (const Reading &c : cases)
            QVERIFY2(asInt(ReadNumber(c.text)) == c.value, qPrintable(c.text.left(40)));
    }

    // The selector's labels are 64 labels, CURE first, none twice.
    void slotLabels() {
        const QStringList &labels = SlotLabels();
        QCOMPARE(labels.size(), 64);
        QCOMPARE(labels.first(), QStringLiteral("CURE"));
        QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), 64);
        for (int n = 1; n <= 7; ++n)
            QVERIFY(!FieldCaption(n).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFields)
#include "test_fields.moc"
