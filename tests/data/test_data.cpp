#include "data/MainModule.h"
#include "data/NameCodec.h"
#include "support/ImageFixture.h"

#include <QDir>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

class TestData : public QObject {
    Q_OBJECT
  private slots:
    // The game's character table, written out apart from the codec.
    void nameCodecOverAllBytes() {
        const QByteArray singles = "',.-!? ";
        const QList<int> singleBytes{0xBE, 0xBF, 0xC0, 0xC2, 0xC4, 0xC5, 0xFF};
        for (int b = 0; b < 256; ++b) {
            QChar c;
            if (b >= 0x80 && b <= 0x89)
                c = QChar('0' + b - 0x80);
            else if (b >= 0x8A && b <= 0xA3)
                c = QChar('A' + b - 0x8A);
            else if (b >= 0xA4 && b <= 0xBD)
                c = QChar('a' + b - 0xA4);
            else if (singleBytes.contains(b))
                c = QChar(singles[singleBytes.indexOf(b)]);
            const QString text = c.isNull() ? QString() : QString(c);
            QCOMPARE(DecodeName(bytes({b})), text);
            if (!c.isNull()) {
                QCOMPARE(EncodeName(text), bytes({b}));
                QVERIFY(IsNameCharacter(c));
            }
        }
        QCOMPARE(EncodeName(QStringLiteral("a@\u00e9#b")), bytes({0xA4, 0xA5}));
    }

    // Load and save of an unchanged store touch only the name terminators;
    // an edit changes exactly its bytes, and record byte 8 never.
    void roundTripWritesOnlyTheTables_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("shortest image") << MinimumImageSize;
        QTest::newRow("3 MiB + 5") << qint64(3 * 1024 * 1024 + 5);
    }
    void roundTripWritesOnlyTheTables() {
        QFETCH(qint64, size);
        ImageFolder folder;
        const QByteArray image = randomImage(size, 7);
        const QString path = folder.add("a.nes", image);
        MainModule m;
        QVERIFY(m.ReadSpells(path));
        QCOMPARE(m.SpellBytes(63, 7), quint8(image[SpellTableOffset + 63 * 8 + 6]));
        QCOMPARE(m.SpellNames[63], image.mid(NameTableOffset + 63 * 5, 4));
        QByteArray expected = image;
        for (int slot = 0; slot < SlotCount; ++slot)
            expected[NameTableOffset + slot * 5 + 4] = 0;
        m.SpellBytes(5, 7) = 0x42;
        expected[SpellTableOffset + 5 * 8 + 6] = 0x42;
        m.SpellNames[9] = EncodeName("Ab");
        expected.replace(NameTableOffset + 9 * 5, 4, bytes({0x8A, 0xA5, 0xFF, 0xFF}));
        QVERIFY(m.WriteSpells(path));
        QCOMPARE(readWhole(path), expected);
    }

    // A failed load leaves the store as it was; a failed save the file.
    void failuresChangeNothing() {
        ImageFolder folder;
        const QString good = folder.add("good.nes", randomImage(MinimumImageSize, 3));
        MainModule m;
        QVERIFY(m.ReadSpells(good));
        const quint8 before = m.SpellBytes(0, 1);
        folder.add("short.nes", randomImage(MinimumImageSize - 1, 4));
        for (const char *bad : {"short.nes", "missing.nes", ".", ""})
            QVERIFY2(!m.ReadSpells(QString(bad).isEmpty() ? QString() : folder.path(bad)), bad);
        QCOMPARE(m.SpellBytes(0, 1), before);

        const QByteArray original = readWhole(good);
        m.SpellBytes(0, 1) = before ^ 0xFF;
        m.writeChunkHook = [](qint64 offset) { return offset < 0x20000; };
        QVERIFY(!m.WriteSpells(good));
        QCOMPARE(readWhole(good), original);
        QCOMPARE(QDir(folder.path(".")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
