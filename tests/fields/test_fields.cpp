#include "data/MainModule.h"
#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "support/ImageFixture.h"
#include "tools/DemoImage.h"

#include <QSet>
#include <QTest>

using namespace corvantis;

namespace {

constexpr int Out = -1; // out of range

int asInt(std::optional<quint8> v) {
    return v ? int(*v) : Out;
}

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
        // Item values as the game states them, worked out apart from the codec.
        const QList<int> bits{1, 2, 4, 8, 16, 32, 64, 128};
        QTest::newRow("Negative Effect") << 2 << EffectNegative << bits;
        QTest::newRow("Positive Effect") << 2 << EffectPositive << QList<int>{4, 8, 16, 32, 64};
        QTest::newRow("Elemental Resist") << 2 << EffectResist << QList<int>{16, 32, 64, 137, 255};
        QTest::newRow("Stronger Negatives") << 2 << EffectStrongerNegatives << QList<int>{1, 8, 16};
        QTest::newRow("Elemental") << 3 << EffectResist << QList<int>{0} + bits;
        QTest::newRow("Targetting") << 4 << -1 << bits.mid(0, 5);
        QTest::newRow("Effect") << 5 << EffectNegative
                                << QList<int>{0,  1,  2,  3,  4,  5,  7,  8, 9,
                                              10, 12, 13, 14, 15, 16, 17, 18};
        QTest::newRow("Appearance")
            << 6 << -1 << QList<int>{0, 176, 184, 192, 200, 208, 216, 224, 232};
        QTest::newRow("Color Palette")
            << 7 << -1 << QList<int>{0, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44};
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

    // Over all 256 values: First Byte shows an item or bare hex, byte 2 under
    // any effect without a list a number box; what is shown reads back as the
    // stored byte.
    void valueBoxesOverAllValues() {
        const QList<int> listed{0x00, 0x18, 0x20, 0x28, 0x30, 0x40, 0x6B, 0xFF};
        for (int v = 0; v < 256; ++v) {
            const DecodedField shown = DecodeField(1, quint8(v));
            QCOMPARE(shown.index, int(listed.indexOf(v)));
            const QString text = shown.index < 0 ? shown.text : FieldItems(1).at(shown.index);
            if (shown.index < 0)
                QCOMPARE(text, QString::number(v, 16).toUpper());
            QCOMPARE(asInt(EncodeField(1, text)), v);
            QCOMPARE(asInt(ReadFirstByte(text.toLower())), v);
            for (int e : {-1, 0, 4, 8, 10, 15, 17, 99}) {
                const DecodedField number = DecodeField(2, quint8(v), e);
                QVERIFY(!IsEffectivenessList(e) && number.index == -1);
                QCOMPARE(asInt(EncodeField(2, number.text, e)), v);
            }
        }
    }

    // What each reader makes of typed text, by the value it reads.
    void readers() {
        const QString nines(1000, QLatin1Char('9')), zeros(1000, QLatin1Char('0'));
        const std::pair<int, QStringList> firstBytes[] = {
            {0x6B, {"6B High-Level"}},
            {0xA0, {"  a0\t"}},
            {5, {"5", "5 foo"}},
            {0xFF, {"ff"}},
            {0x18, {"18 anything at all", "18 20"}},
            {0x0F, {"0F Fire"}},
            {Out,
             {"Damaging", "Fire", "1 8", "1 80", "5 f", "100", "18Damaging", "", "  ", "zz", "-1",
              "18\tx", "&H18"}}};
        for (const auto &[value, texts] : firstBytes)
            for (const QString &text : texts)
                QVERIFY2(asInt(ReadFirstByte(text)) == value, qPrintable(text));
        // The number box reads as the game's own number reader does.
        const std::pair<int, QStringList> numbers[] = {
            {0,
             {"", "-0.4", "-0.5", "0e99", ".5", "&H", "&X1", "-&H0", "-", "abc", "--1", "0x10",
              QString(QChar(0xFF15)), "0." + zeros + "1", "1e-99999"}},
            {1, {"1e", "1ex", ".51", "1,000"}},
            {2, {"2.5"}},
            {4, {"3.5"}},
            {5, {"5.", "5" + QString(QChar(0)) + "7"}},
            {7, {"+7", "&O78", zeros + "7", QString(100000, ' ') + "7"}},
            {12, {"12abc", "1 2"}},
            {16, {"& h 1 0"}},
            {31, {"&h1f"}},
            {100, {"1e2", "1D+2", "1" + zeros + "e-998"}},
            {123, {"\t1\n2 3"}},
            {254, {"2545e-1"}},
            {255, {"255.4", "&HFF", "&o377", "&H" + zeros + "FF"}},
            {Out,
             {"255.5", "-0.50001", "-1", "2555e-1", "&O400", "&HFFFF", "-&H5", nines, nines + ".5",
              "1e999999", "1e18446744073709551618", "&H100000001"}}};
        for (const auto &[value, texts] : numbers)
            for (const QString &text : texts)
                QVERIFY2(asInt(ReadNumber(text)) == value, qPrintable(text.left(40)));
    }

    // The game's character table, written out apart from the codec.
    void nameCodecOverAllBytes() {
        const QString marks = "',.-!? ";
        const QList<int> markBytes{0xBE, 0xBF, 0xC0, 0xC2, 0xC4, 0xC5, 0xFF};
        for (int b = 0; b < 256; ++b) {
            QChar c = markBytes.contains(b) ? marks[markBytes.indexOf(b)] : QChar();
            for (auto [from, to, first] :
                 {std::tuple(0x80, 0x89, '0'), {0x8A, 0xA3, 'A'}, {0xA4, 0xBD, 'a'}})
                if (b >= from && b <= to)
                    c = QChar(first + b - from);
            const QByteArray byte(1, char(b));
            QCOMPARE(DecodeName(byte), c.isNull() ? QString() : QString(c));
            QVERIFY(c.isNull() || (EncodeName(c) == byte && IsNameCharacter(c)));
        }
        QCOMPARE(EncodeName(QStringLiteral("a@\u00e9#b")), QByteArray("\xA4\xA5"));
    }

    // The demo image (the same at every making) shows every kind of value
    // somewhere: special slots, unlisted first bytes, an invalid value in
    // every field. (It loads: the command line's tests open it.)
    void demoImageShowsEveryCase() {
        const QByteArray image = MakeDemoImage();
        QCOMPARE(image, MakeDemoImage());
        const MainModule store = test::storeOf(image);
        QSet<int> seen; // 0: a special slot; 100 n + effect: an invalid byte n
        for (int slot = 0; slot < SlotCount; ++slot) {
            const int e = DecodeField(5, store.SpellBytes(slot, 5)).index;
            seen << (store.SpellBytes(slot, 1) == 0xFF ? 0 : -1);
            for (int n = 1; n <= FieldCount; ++n)
                if (!IsValidValue(n, store.SpellBytes(slot, n), e))
                    seen << 100 * n + (n == 2 ? e : 0);
        }
        for (int want : {0, 100, 300, 400, 500, 600, 700, 200 + EffectNegative,
                         200 + EffectPositive, 200 + EffectResist, 200 + EffectStrongerNegatives})
            QVERIFY2(seen.contains(want), qPrintable(QString::number(want)));
    }
};

QTEST_GUILESS_MAIN(TestFields)
#include "test_fields.moc"
