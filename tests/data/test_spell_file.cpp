#include "data/MainModule.h"
#include "data/NameCodec.h"
#include "support/ImageFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

qint64 recordAt(int slot) {
    return SpellTableOffset + qint64(slot) * RecordSize;
}
qint64 nameAt(int slot) {
    return NameTableOffset + qint64(slot) * NameRecordSize;
}

// The image as a load followed by a save of unchanged data must leave it.
QByteArray withTerminators(QByteArray image) {
    for (int slot = 0; slot < SlotCount; ++slot)
        image[nameAt(slot) + NameLength] = 0;
    return image;
}

// A store filled with recognisable values, unlike any image.
MainModule markedStore() {
    MainModule m;
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            m.SpellBytes(slot, n) = quint8(slot * 7 + n);
        m.SpellNames[slot] = EncodeName("Z9");
    }
    return m;
}

bool sameStore(const MainModule &a, const MainModule &b) {
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            if (a.SpellBytes(slot, n) != b.SpellBytes(slot, n))
                return false;
        if (a.SpellNames[slot] != b.SpellNames[slot])
            return false;
    }
    return true;
}

// Paths that cannot work for anyone, whoever runs the test.
QString badPath(const ImageFolder &folder, const QString &what, const QString &shortPath) {
    if (what == "missing")
        return folder.path("none.nes");
    if (what == "directory")
        return folder.path(".");
    if (what == "short")
        return shortPath;
    if (what == "nofolder")
        return folder.path("no/such/folder/a.nes");
    if (what == "pipe") {
        // Opening a pipe with no writer would wait for ever.
        const QString pipe = folder.path("pipe.nes");
        return mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 ? pipe : QString();
    }
    return {}; // empty
}

QStringList filesIn(const QString &dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestSpellFile : public QObject {
    Q_OBJECT
  private slots:
    void roundTripChangesOnlyTheTerminators_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("just long enough") << MinimumImageSize;
        QTest::newRow("256 KiB + 16") << qint64(256 * 1024 + 16);
        QTest::newRow("3 MiB + 5") << qint64(3 * 1024 * 1024 + 5);
    }
    void roundTripChangesOnlyTheTerminators() {
        QFETCH(qint64, size);
        ImageFolder folder;
        const QByteArray image = randomImage(size, quint32(size));
        const QString path = folder.add("game.nes", image);

        MainModule m;
        QVERIFY(m.ReadSpells(path));
        QVERIFY(m.WriteSpells(path));
        QCOMPARE(readWhole(path), withTerminators(image));
        QCOMPARE(filesIn(folder.path(".")), QStringList{"game.nes"});
    }

    void loadTakesSevenRecordBytesAndFourNameBytes() {
        ImageFolder folder;
        QByteArray image = randomImage(MinimumImageSize, 7);
        const QByteArray name5("\x8A\xFF\xFF\xFF\x00", 5);
        image.replace(nameAt(5), 5, name5);
        const QByteArray name63("\x00\xC1\xFF\x8B\x42", 5);
        image.replace(nameAt(63), 5, name63);
        MainModule m;
        QVERIFY(m.ReadSpells(folder.add("a.nes", image)));

        QCOMPARE(m.SpellNames[5], name5.left(4));
        QCOMPARE(m.SpellNames[63], name63.left(4));
        QCOMPARE(nameAt(63), qint64(0x2BF4E));
        QCOMPARE(recordAt(63), qint64(0x303E8));
        for (int n = 1; n <= FieldCount; ++n) {
            QCOMPARE(m.SpellBytes(0, n), quint8(image[recordAt(0) + n - 1]));
            QCOMPARE(m.SpellBytes(63, n), quint8(image[recordAt(63) + n - 1]));
        }
    }

    void savedEditsAreExactlyTheChangedBytes() {
        ImageFolder folder;
        const QByteArray image = randomImage(256 * 1024 + 16, 11);
        const QString path = folder.add("a.nes", image);
        MainModule m;
        QVERIFY(m.ReadSpells(path));

        m.SpellBytes(4, 3) = 0x10;
        m.SpellBytes(63, 7) = quint8(~quint8(image[0x303EE]));
        m.SpellBytes(0, 1) = quint8(~quint8(image[0x301F0]));
        m.SpellNames[2] = EncodeName("FOG");
        m.SpellNames[63] = QByteArray();
        m.SpellNames[10] = EncodeName("Hi!?");
        QVERIFY(m.WriteSpells(path));

        QByteArray expected = withTerminators(image);
        expected[0x30212] = 0x10;
        expected[0x303EE] = char(~quint8(image[0x303EE]));
        expected[0x301F0] = char(~quint8(image[0x301F0]));
        expected.replace(nameAt(2), 5, QByteArray("\x8F\x98\x90\xFF\x00", 5));
        expected.replace(nameAt(63), 5, QByteArray("\xFF\xFF\xFF\xFF\x00", 5));
        expected.replace(nameAt(10), 5, QByteArray("\x91\xAC\xC4\xC5\x00", 5));
        const QByteArray saved = readWhole(path);
        QCOMPARE(saved.size(), expected.size());
        QCOMPARE(saved, expected);
        // The eighth record byte keeps the file's value.
        QCOMPARE(saved[0x303EF], image[0x303EF]);
    }

    void failedLoadLeavesTheStore_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("empty path") << "empty";
        QTest::newRow("directory") << "directory";
        QTest::newRow("one byte short") << "short";
        QTest::newRow("empty file") << "zero";
        QTest::newRow("missing folder") << "nofolder";
        QTest::newRow("named pipe") << "pipe";
    }
    void failedLoadLeavesTheStore() {
        QFETCH(QString, what);
        ImageFolder folder;
        const QString shortPath = folder.add(
            "s.nes", what == "zero" ? QByteArray() : randomImage(MinimumImageSize - 1, 3));
        const QString path = badPath(folder, what == "zero" ? "short" : what, shortPath);

        MainModule m = markedStore();
        const MainModule before = markedStore();
        QVERIFY(!m.ReadSpells(path));
        QVERIFY(sameStore(m, before));
    }

    void failedSaveLeavesTheFile_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("empty path") << "empty";
        QTest::newRow("directory") << "directory";
        QTest::newRow("one byte short") << "short";
        QTest::newRow("missing folder") << "nofolder";
        QTest::newRow("named pipe") << "pipe";
    }
    void failedSaveLeavesTheFile() {
        QFETCH(QString, what);
        ImageFolder folder;
        const QByteArray shortImage = randomImage(MinimumImageSize - 1, 5);
        const QString shortPath = folder.add("s.nes", shortImage);
        const QString path = badPath(folder, what, shortPath);

        MainModule m = markedStore();
        QVERIFY(!m.WriteSpells(path));
        QCOMPARE(readWhole(shortPath), shortImage);
        // Nothing created, no temporary file left behind.
        QStringList expected{"s.nes"};
        if (what == "pipe")
            expected.prepend("pipe.nes"); // listed by name
        QCOMPARE(filesIn(folder.path(".")), expected);
    }

    void saveFailingPartWayLeavesTheFile_data() {
        QTest::addColumn<qint64>("failAt");
        QTest::newRow("first chunk") << qint64(0);
        QTest::newRow("the name table's chunk") << (NameTableOffset / 65536) * 65536;
        QTest::newRow("last chunk") << qint64(-1);
    }
    void saveFailingPartWayLeavesTheFile() {
        QFETCH(qint64, failAt);
        ImageFolder folder;
        const QByteArray image = randomImage(256 * 1024 + 16, 9);
        const QString path = folder.add("a.nes", image);
        MainModule m = markedStore();
        qint64 last = 0;
        m.writeChunkHook = [&](qint64 offset) {
            last = offset;
            return failAt < 0 ? offset + 65536 < image.size() : offset != failAt;
        };
        QVERIFY(!m.WriteSpells(path));
        QVERIFY(last >= failAt);
        QCOMPARE(readWhole(path), image);
        QCOMPARE(filesIn(folder.path(".")), QStringList{"a.nes"});
    }

    void saveKeepsModeBitsAndSymlink() {
        ImageFolder folder;
        const QByteArray image = randomImage(MinimumImageSize + 100, 13);
        const QString target = folder.add("real.nes", image);
        const QFile::Permissions mode =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup; // 0640, unlike the default
        QVERIFY(QFile::setPermissions(target, mode));
        const QString link = folder.path("link.nes");
        QVERIFY(QFile::link(target, link));

        MainModule m;
        QVERIFY(m.ReadSpells(link));
        m.SpellBytes(1, 2) = quint8(~quint8(image[recordAt(1) + 1]));
        QVERIFY(m.WriteSpells(link));

        QCOMPARE(QFileInfo(link).symLinkTarget(), QFileInfo(target).absoluteFilePath());
        QByteArray expected = withTerminators(image);
        expected[recordAt(1) + 1] = char(m.SpellBytes(1, 2));
        QCOMPARE(readWhole(target), expected);
        // Owner, group and other bits; the "user" bits depend on who runs the test.
        QCOMPARE(QFile::permissions(target) & 0x7077, mode & 0x7077);
    }
};

QTEST_APPLESS_MAIN(TestSpellFile)
#include "test_spell_file.moc"
