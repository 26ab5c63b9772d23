// The demo image: a loadable image whose 64 slots between them show every
// item of every field and every way a field can show a stored byte.

#include "tools/DemoImage.h"

#include "data/MainModule.h"
#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "support/ImageFixture.h"

#include <QProcess>
#include <QSet>
#include <QtTest>

using namespace corvantis;

namespace {

quint8 recordByte(const QByteArray &image, int slot, int n) {
    return quint8(image[SpellTableOffset + qint64(slot) * RecordSize + n - 1]);
}

QByteArray nameRecord(const QByteArray &image, int slot) {
    return image.mid(NameTableOffset + qint64(slot) * NameRecordSize, NameRecordSize);
}

int effectIndex(const QByteArray &image, int slot) {
    return DecodeField(5, recordByte(image, slot, 5)).index;
}

struct Run {
    int exitCode = -1;
    QByteArray errors;
};

Run makeDemo(const QStringList &arguments) {
    QProcess process;
    process.start(CORVANTIS_MAKE_DEMO, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardError()};
}

} // namespace

class TestDemoImage : public QObject {
    Q_OBJECT

  private slots:
    void headerAndSize();
    void sameBytesEveryTime();
    void namesAreTheSlotLabels();
    void loadsIntoTheStore();
    void specialSlotsAndUnlistedFirstBytes();
    void everyItemOfEveryListAppears_data();
    void everyItemOfEveryListAppears();
    void anInvalidValueInEveryField_data();
    void anInvalidValueInEveryField();
    void byteTwoInEveryCase();
    void toolWritesTheImage();
    void toolReportsWhatItCannotWrite_data();
    void toolReportsWhatItCannotWrite();
    void toolTakesOnePath_data();
    void toolTakesOnePath();
};

void TestDemoImage::headerAndSize() {
    const QByteArray image = MakeDemoImage();
    QCOMPARE(image.size(), qsizetype(0x40010));
    QVERIFY(image.size() >= MinimumImageSize);
    QVERIFY(image.startsWith(QByteArray("NES\x1A", 4)));
    // Program banks of 16 KiB after the header: the header agrees with the size.
    QCOMPARE(16 + quint8(image[4]) * 16384, int(image.size()));
}

void TestDemoImage::sameBytesEveryTime() {
    QCOMPARE(MakeDemoImage(), MakeDemoImage());
}

void TestDemoImage::namesAreTheSlotLabels() {
    const QByteArray image = MakeDemoImage();
    const QStringList &labels = SlotLabels();
    QCOMPARE(labels.size(), SlotCount);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QByteArray record = nameRecord(image, slot);
        QCOMPARE(quint8(record[NameLength]), NameTerminator);
        // Three-letter labels are filled with the game's blank.
        QCOMPARE(DecodeName(record.left(NameLength)), labels[slot].leftJustified(NameLength, ' '));
        QCOMPARE(EncodeName(labels[slot]), record.left(labels[slot].size()));
    }
}

void TestDemoImage::loadsIntoTheStore() {
    test::ImageFolder folder;
    QVERIFY(folder.isValid());
    const QByteArray image = MakeDemoImage();
    const QString path = folder.add("demo.nes", image);
    QVERIFY(!path.isEmpty());
    MainModule store;
    QVERIFY(store.ReadSpells(path));
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            QCOMPARE(store.SpellBytes(slot, n), recordByte(image, slot, n));
        QCOMPARE(store.SpellNames[slot], nameRecord(image, slot).left(NameLength));
    }
}

void TestDemoImage::specialSlotsAndUnlistedFirstBytes() {
    const QByteArray image = MakeDemoImage();
    int special = 0;
    int unlisted = 0;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const quint8 first = recordByte(image, slot, 1);
        special += first == 0xFF;
        unlisted += !IsValidValue(1, first);
    }
    QVERIFY2(special >= 2, "special slots");
    QVERIFY2(unlisted >= 2, "first bytes outside the eight items");
}

void TestDemoImage::everyItemOfEveryListAppears_data() {
    QTest::addColumn<int>("byteNumber");
    for (int n : {1, 3, 4, 5, 6, 7})
        QTest::addRow("%s", qPrintable(FieldCaption(n))) << n;
}

void TestDemoImage::everyItemOfEveryListAppears() {
    QFETCH(int, byteNumber);
    const QByteArray image = MakeDemoImage();
    QSet<int> shown;
    for (int slot = 0; slot < SlotCount; ++slot)
        shown << DecodeField(byteNumber, recordByte(image, slot, byteNumber)).index;
    const int valid = byteNumber == 1 ? FieldItems(1).size() : InvalidIndex(byteNumber);
    for (int item = 0; item < valid; ++item)
        QVERIFY2(shown.contains(item), qPrintable(FieldItems(byteNumber)[item]));
}

void TestDemoImage::anInvalidValueInEveryField_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("effect"); // -1: not byte 2
    for (int n : {1, 3, 4, 5, 6, 7})
        QTest::addRow("%s", qPrintable(FieldCaption(n))) << n << -1;
    for (int e : {EffectNegative, EffectPositive, EffectResist, EffectStrongerNegatives})
        QTest::addRow("Effectiveness under effect %d", e) << 2 << e;
}

void TestDemoImage::anInvalidValueInEveryField() {
    QFETCH(int, byteNumber);
    QFETCH(int, effect);
    const QByteArray image = MakeDemoImage();
    bool found = false;
    for (int slot = 0; slot < SlotCount && !found; ++slot) {
        if (effect >= 0 && effectIndex(image, slot) != effect)
            continue;
        found = !IsValidValue(byteNumber, recordByte(image, slot, byteNumber), effect);
    }
    QVERIFY(found);
}

void TestDemoImage::byteTwoInEveryCase() {
    const QByteArray image = MakeDemoImage();
    QMap<int, QSet<int>> shownUnder; // effect index -> byte-2 items shown
    bool number = false;
    bool numberUnderInvalidEffect = false;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const int e = effectIndex(image, slot);
        if (IsEffectivenessList(e)) {
            shownUnder[e] << DecodeField(2, recordByte(image, slot, 2), e).index;
        } else {
            number = true;
            numberUnderInvalidEffect |= e == InvalidIndex(5);
        }
    }
    QVERIFY(number);
    QVERIFY(numberUnderInvalidEffect);
    for (int e : {EffectNegative, EffectPositive, EffectResist, EffectStrongerNegatives}) {
        const QStringList &items = EffectivenessItems(e);
        for (int item = 0; item < items.size(); ++item) // "Invalid Value" included
            QVERIFY2(shownUnder[e].contains(item),
                     qPrintable(QString("%1 under effect %2").arg(items[item]).arg(e)));
    }
}

void TestDemoImage::toolWritesTheImage() {
    test::ImageFolder folder;
    // An existing file is replaced whole, not patched.
    const QString path = folder.add("demo.nes", QByteArray(0x50000, 'x'));
    const Run run = makeDemo({path});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.isEmpty(), run.errors.constData());
    QCOMPARE(test::readWhole(path), MakeDemoImage());
}

void TestDemoImage::toolReportsWhatItCannotWrite_data() {
    QTest::addColumn<QString>("target"); // inside a scratch folder
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a folder") << "" << 1;
    QTest::newRow("in a missing folder") << "missing/demo.nes" << 1;
}

void TestDemoImage::toolReportsWhatItCannotWrite() {
    QFETCH(QString, target);
    QFETCH(int, exitCode);
    test::ImageFolder folder;
    const QString path = target.isEmpty() ? folder.path(".") : folder.path(target);
    const Run run = makeDemo({path});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errors.contains("cannot write"), run.errors.constData());
    QVERIFY(!QFileInfo(path).isFile());
}

void TestDemoImage::toolTakesOnePath_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("none") << QStringList();
    QTest::newRow("two") << QStringList{"a.nes", "b.nes"};
}

void TestDemoImage::toolTakesOnePath() {
    QFETCH(QStringList, arguments);
    test::ImageFolder folder;
    QProcess process;
    process.setWorkingDirectory(folder.path("."));
    process.start(CORVANTIS_MAKE_DEMO, arguments);
    QVERIFY(process.waitForFinished(-1));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().startsWith("usage:"));
    QVERIFY(QDir(folder.path(".")).isEmpty());
}

QTEST_MAIN(TestDemoImage)
#include "test_demo_image.moc"
