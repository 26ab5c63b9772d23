#include "data/NameCodec.h"
#include "support/ImageFixture.h"

#include <QTest>

using namespace corvantis;
using corvantis::test::bytes;

namespace {

// The game's character table, written out independently of the codec.
QString expectedCharacter(int byte) {
    if (byte >= 0x80 && byte <= 0x89)
        return QString(QChar('0' + byte - 0x80));
    if (byte >= 0x8A && byte <= 0xA3)
        return QString(QChar('A' + byte - 0x8A));
    if (byte >= 0xA4 && byte <= 0xBD)
        return QString(QChar('a' + byte - 0xA4));
    switch (byte) {
    case 0xBE:
        return "'";
    case 0xBF:
        return ",";
    case 0xC0:
        return ".";
    case 0xC2:
        return "-";
    case 0xC4:
        return "!";
    case 0xC5:
        return "?";
    case 0xFF:
        return " ";
    default:
        return {};
    }
}

} // namespace

class TestNameCodec : public QObject {
    Q_OBJECT
  private slots:
    void everyByteDecodesByTheTable() {
        for (int b = 0; b < 256; ++b) {
            const QString text = DecodeName(bytes({b}));
            QCOMPARE(text, expectedCharacter(b));
            // What decodes encodes back to the same byte.
            if (!text.isEmpty())
                QCOMPARE(EncodeName(text), bytes({b}));
        }
    }

    void everySingleByteCharacterEncodesByTheTable() {
        int encodable = 0;
        for (int k = 0; k < 256; ++k) {
            const QString text{QChar(char16_t(k))};
            const QByteArray name = EncodeName(text);
            QVERIFY(name.size() <= 1);
            QCOMPARE(IsNameCharacter(QChar(char16_t(k))), name.size() == 1);
            if (name.size() == 1) {
                ++encodable;
                QCOMPARE(expectedCharacter(quint8(name[0])), text);
            }
        }
        QCOMPARE(encodable, 10 + 26 + 26 + 7);
    }

    void examples_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("encodedAgain");
        QTest::newRow("padded") << bytes({0x8A, 0x8B, 0x8C, 0xFF}) << "ABC "
                                << bytes({0x8A, 0x8B, 0x8C, 0xFF});
        QTest::newRow("marks") << bytes({0x91, 0xAC, 0xC2, 0x85, 0xC4}) << "Hi-5!"
                               << bytes({0x91, 0xAC, 0xC2, 0x85, 0xC4});
        QTest::newRow("row-less bytes dropped")
            << bytes({0x8A, 0xC1, 0x00, 0x8B}) << "AB" << bytes({0x8A, 0x8B});
        QTest::newRow("empty") << QByteArray() << "" << QByteArray();
        QTest::newRow("gap C3") << bytes({0xC3}) << "" << QByteArray();
        QTest::newRow("ascii A") << bytes({0x41}) << "" << QByteArray();
        QTest::newRow("FE") << bytes({0xFE}) << "" << QByteArray();
    }
    void examples() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, text);
        QFETCH(QByteArray, encodedAgain);
        QCOMPARE(DecodeName(stored), text);
        QCOMPARE(EncodeName(DecodeName(stored)), encodedAgain);
    }

    void encodingDropsWhatHasNoByte_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("at sign") << "A@b" << bytes({0x8A, 0xA5});
        QTest::newRow("accented") << QString::fromUtf8("\xC3\xA9t\xC3\xA9") << bytes({0xB7});
        QTest::newRow("beyond latin-1") << QString::fromUtf8("\xE2\x82\xAC") + "Z" << bytes({0xA3});
        QTest::newRow("fog") << "FOG" << bytes({0x8F, 0x98, 0x90});
    }
    void encodingDropsWhatHasNoByte() {
        QFETCH(QString, text);
        QFETCH(QByteArray, name);
        QCOMPARE(EncodeName(text), name);
    }
};

QTEST_APPLESS_MAIN(TestNameCodec)
#include "test_name_codec.moc"
