#include "fields/FieldCodec.h"

#include <QTest>

using namespace corvantis;

namespace {

constexpr int OutOfRange = -1;

int asInt(std::optional<quint8> value) {
    return value ? int(*value) : OutOfRange;
}

QString repeated(const char *piece, int times) {
    return QString(piece).repeated(times);
}

} // namespace

class TestFieldsReaders : public QObject {
    Q_OBJECT

  private slots:
    void numberReader_data();
    void numberReader();
    void numberReaderOnHostileText_data();
    void numberReaderOnHostileText();
    void numberReaderOverAllValues();
    void firstByteReader_data();
    void firstByteReader();
};

void TestFieldsReaders::numberReader_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    // The game's own examples.
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("12abc") << "12abc" << 12;
    QTest::newRow("1 2") << "1 2" << 12;
    QTest::newRow("2.5") << "2.5" << 2;
    QTest::newRow("3.5") << "3.5" << 4;
    QTest::newRow("255.4") << "255.4" << 255;
    QTest::newRow("255.5") << "255.5" << OutOfRange;
    QTest::newRow("-0.4") << "-0.4" << 0;
    QTest::newRow("-1") << "-1" << OutOfRange;
    QTest::newRow("1e2") << "1e2" << 100;
    QTest::newRow("1e9") << "1e9" << OutOfRange;
    QTest::newRow("&HFF") << "&HFF" << 255;

    // Blanks, tabs and line feeds vanish wherever they stand.
    QTest::newRow("blanks around") << "  42  " << 42;
    QTest::newRow("tab and line feed inside") << "\t1\n2 3" << 123;
    QTest::newRow("blank after the sign") << "-  0" << 0;
    QTest::newRow("blank inside the prefix") << "& h 1 0" << 16;
    QTest::newRow("blank inside the exponent") << "1 e 2" << 100;

    // Decimal points and rounding, halves to even.
    QTest::newRow(".5") << ".5" << 0;
    QTest::newRow(".51") << ".51" << 1;
    QTest::newRow("5.") << "5." << 5;
    QTest::newRow("1.5") << "1.5" << 2;
    QTest::newRow("254.5") << "254.5" << 254;
    QTest::newRow("254.50001") << "254.50001" << 255;
    QTest::newRow("0.5000000001") << "0.5000000001" << 1;
    QTest::newRow("255.4999999") << "255.4999999" << 255;
    QTest::newRow("-0.5") << "-0.5" << 0;
    QTest::newRow("-0.50001") << "-0.50001" << OutOfRange;
    QTest::newRow("-0") << "-0" << 0;
    QTest::newRow("+7") << "+7" << 7;
    QTest::newRow("leading zeros") << "0000000255" << 255;
    QTest::newRow("trailing fraction zeros") << "3.50000" << 4;
    QTest::newRow("999.5") << "999.5" << OutOfRange;
    QTest::newRow("256") << "256" << OutOfRange;

    // Exponents.
    QTest::newRow("1d2") << "1d2" << 100;
    QTest::newRow("1D+2") << "1D+2" << 100;
    QTest::newRow("1E+02") << "1E+02" << 100;
    QTest::newRow("2.55e2") << "2.55e2" << 255;
    QTest::newRow("2555e-1") << "2555e-1" << OutOfRange;
    QTest::newRow("2545e-1") << "2545e-1" << 254;
    QTest::newRow("25e-1") << "25e-1" << 2;
    QTest::newRow("6e-1") << "6e-1" << 1;
    QTest::newRow(".5e1") << ".5e1" << 5;
    QTest::newRow("1e with no digits") << "1e" << 1;
    QTest::newRow("1e+ with no digits") << "1e+" << 1;
    QTest::newRow("1E- with no digits") << "1E-" << 1;
    QTest::newRow("1ex") << "1ex" << 1;
    QTest::newRow("0e99") << "0e99" << 0;

    // Hexadecimal and octal, unsigned.
    QTest::newRow("&h1f") << "&h1f" << 31;
    QTest::newRow("&o377") << "&o377" << 255;
    QTest::newRow("&O400") << "&O400" << OutOfRange;
    QTest::newRow("&H100") << "&H100" << OutOfRange;
    QTest::newRow("&HFFFF is not -1") << "&HFFFF" << OutOfRange;
    QTest::newRow("&O78 stops at 8") << "&O78" << 7;
    QTest::newRow("&O8") << "&O8" << 0;
    QTest::newRow("&H") << "&H" << 0;
    QTest::newRow("&HG") << "&HG" << 0;
    QTest::newRow("&H1.5 stops at the point") << "&H1.5" << 1;
    QTest::newRow("& alone") << "&" << 0;
    QTest::newRow("&X1") << "&X1" << 0;
    QTest::newRow("+&HFF") << "+&HFF" << 255;
    QTest::newRow("-&H5") << "-&H5" << OutOfRange;
    QTest::newRow("-&H0") << "-&H0" << 0;

    // Texts that do not begin with a number.
    QTest::newRow("lone minus") << "-" << 0;
    QTest::newRow("lone plus") << "+" << 0;
    QTest::newRow("lone point") << "." << 0;
    QTest::newRow("sign and point") << "-." << 0;
    QTest::newRow(".e5") << ".e5" << 0;
    QTest::newRow("e5") << "e5" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("--1") << "--1" << 0;
    QTest::newRow("+-1") << "+-1" << 0;
    QTest::newRow("0x10 stops at x") << "0x10" << 0;
    QTest::newRow("1,000 stops at the comma") << "1,000" << 1;
    QTest::newRow("1.2.3") << "1.2.3" << 1;
    QTest::newRow("full-width digit") << QString(QChar(0xFF15)) << 0;
    QTest::newRow("Arabic-Indic digit") << QString(QChar(0x0663)) << 0;
    QTest::newRow("NUL first") << QString(QChar(0)) + "5" << 0;
    QTest::newRow("NUL stops") << "5" + QString(QChar(0)) + "7" << 5;
}

void TestFieldsReaders::numberReader() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(asInt(ReadNumber(text)), value);
}

// Texts built to overflow, loop or wrap a careless reader.
void TestFieldsReaders::numberReaderOnHostileText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("a thousand nines") << repeated("9", 1000) << OutOfRange;
    QTest::newRow("a thousand nines and a half") << repeated("9", 1000) + ".5" << OutOfRange;
    QTest::newRow("2^64 + 7") << "18446744073709551623" << OutOfRange;
    QTest::newRow("2^32 + 7") << "4294967303" << OutOfRange;
    QTest::newRow("a thousand zeros then 7") << repeated("0", 1000) + "7" << 7;
    QTest::newRow("a thousand zeros after the point") << "0." + repeated("0", 1000) + "1" << 0;
    QTest::newRow("minus a thousand zeros") << "-" + repeated("0", 1000) << 0;
    QTest::newRow("1e999999") << "1e999999" << OutOfRange;
    QTest::newRow("1e-99999") << "1e-99999" << 0;
    QTest::newRow("-1e-999999") << "-1e-999999" << 0;
    QTest::newRow("exponent past 64 bits") << "1e" + repeated("9", 40) << OutOfRange;
    QTest::newRow("negative exponent past 64 bits") << "1e-" + repeated("9", 40) << 0;
    QTest::newRow("a thousand exponent digits") << "1e" + repeated("9", 1000) << OutOfRange;
    QTest::newRow("exponent 2^64 + 2 does not wrap") << "1e18446744073709551618" << OutOfRange;
    QTest::newRow("zero with a huge exponent") << "0e" + repeated("9", 40) << 0;
    QTest::newRow("many digits scaled back down") << "1" + repeated("0", 999) + "e-997" << 100;
    QTest::newRow("tiny mantissa scaled up") << "0." + repeated("0", 2000) + "25e2003" << 250;
    QTest::newRow("&H and forty F") << "&H" + repeated("F", 40) << OutOfRange;
    QTest::newRow("&H and forty zeros then FF") << "&H" + repeated("0", 40) + "FF" << 255;
    QTest::newRow("&H 2^32 + 1") << "&H100000001" << OutOfRange;
    QTest::newRow("&O and forty sevens") << "&O" + repeated("7", 40) << OutOfRange;
    QTest::newRow("a thousand points") << repeated(".", 1000) << 0;
    QTest::newRow("a thousand signs") << repeated("-", 1000) << 0;
    QTest::newRow("a hundred thousand blanks then 7") << repeated(" ", 100000) + "7" << 7;
    QTest::newRow("digits split by blanks") << repeated("1 ", 500) << OutOfRange;
}

void TestFieldsReaders::numberReaderOnHostileText() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(asInt(ReadNumber(text)), value);
}

// Every byte, however it is spelled, reads back as itself.
void TestFieldsReaders::numberReaderOverAllValues() {
    for (int v = 0; v < 256; ++v) {
        const QString d = QString::number(v);
        QCOMPARE(asInt(ReadNumber(d)), v);
        QCOMPARE(asInt(ReadNumber(d + ".4")), v);
        QCOMPARE(asInt(ReadNumber(d + ".5")), v % 2 == 0 ? v : (v + 1 > 255 ? OutOfRange : v + 1));
        QCOMPARE(asInt(ReadNumber(QString::number(v - 1) + ".6")), v == 0 ? OutOfRange : v);
        QCOMPARE(asInt(ReadNumber(d + "0e-1")), v);
        QCOMPARE(asInt(ReadNumber("0.00" + d + "E+" + QString::number(2 + d.size()))), v);
        QCOMPARE(asInt(ReadNumber(QString::asprintf("&H%X", v))), v);
        QCOMPARE(asInt(ReadNumber(QString::asprintf("&h%x", v))), v);
        QCOMPARE(asInt(ReadNumber(QString::asprintf("&O%o", v))), v);
        QCOMPARE(asInt(ReadNumber("-" + d)), v == 0 ? 0 : OutOfRange);
        QCOMPARE(asInt(ReadNumber(QString::number(v + 256))), OutOfRange);
    }
}

void TestFieldsReaders::firstByteReader_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("00 White") << "00 White" << 0x00;
    QTest::newRow("18 Damaging") << "18 Damaging" << 0x18;
    QTest::newRow("6B High-Level") << "6B High-Level" << 0x6B;
    QTest::newRow("FF Non-combat") << "FF Non-combat" << 0xFF;
    QTest::newRow("a0") << "a0" << 0xA0;
    QTest::newRow("A0") << "A0" << 0xA0;
    QTest::newRow("single digit") << "5" << 5;
    QTest::newRow("leading blanks") << "   ff" << 0xFF;
    QTest::newRow("leading tab") << "\tA" << 0x0A;
    QTest::newRow("trailing text") << "1fz" << 0x1F;
    QTest::newRow("leading zeros") << "0FF" << 0xFF;
    QTest::newRow("a thousand zeros then AB") << repeated("0", 1000) + "AB" << 0xAB;
    QTest::newRow("blank ends the digits") << "1 8" << 0x01;
    QTest::newRow("0x18 stops at x") << "0x18" << 0x00;

    QTest::newRow("100") << "100" << OutOfRange;
    QTest::newRow("FFF") << "FFF" << OutOfRange;
    QTest::newRow("forty F") << repeated("F", 40) << OutOfRange;
    QTest::newRow("a thousand digits") << repeated("1", 1000) << OutOfRange;
    QTest::newRow("empty") << "" << OutOfRange;
    QTest::newRow("blanks only") << "    " << OutOfRange;
    QTest::newRow("no hex digit") << "G1" << OutOfRange;
    QTest::newRow("minus") << "-5" << OutOfRange;
    QTest::newRow("plus") << "+5" << OutOfRange;
    QTest::newRow("&HFF") << "&HFF" << OutOfRange;
    QTest::newRow("full-width A") << QString(QChar(0xFF21)) << OutOfRange;
    QTest::newRow("NUL") << QString(QChar(0)) << OutOfRange;
}

void TestFieldsReaders::firstByteReader() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(asInt(ReadFirstByte(text)), value);
}

QTEST_APPLESS_MAIN(TestFieldsReaders)
#include "test_fields_readers.moc"
