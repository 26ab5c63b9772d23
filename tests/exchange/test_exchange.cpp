// Every patch written is applied back by a small applier of its format; a
// comparison with another image, a patch or a spell file (an export too)
// shows what differs, or says why it cannot be made.

#include "exchange/Compare.h"
#include "exchange/Patch.h"
#include "exchange/PatchApply.h"
#include "exchange/ReferenceAppliers.h"
#include "exchange/SpellExport.h"
#include "exchange/SpellImport.h"
#include "support/ImageFixture.h"

#include <QtTest>

using namespace corvantis;
using test::applyBps;
using test::applyIps;

static QByteArray bpsNumber(quint64 v) {
    QByteArray out;
    for (; v >= 0x80; v = (v >> 7) - 1)
        out += char(v & 0x7F);
    return out + char(0x80 | v);
}

// A comparison as its window would show it: the count, the notes, then each
// differing cell as "slot label column: cell"; or the reason it failed.
static QString shown(const Comparison &c) {
    QStringList lines{c.ok() ? c.count() : c.error};
    lines += c.notes;
    for (const SpellDifference &d : c.spells)
        for (int column = 0; column < CompareColumns; ++column)
            if (d.differs[size_t(column)])
                lines << QStringLiteral("%1 %2 %3: %4")
                             .arg(QString::number(d.slot), d.label, QString::number(column),
                                  d.cell(column));
    return lines.join(QLatin1Char('\n'));
}

class TestExchange : public QObject {
    Q_OBJECT

  private slots:
    void patchesTurnTheOriginalIntoTheTarget() {
        const QByteArray image = test::randomImage(300000, 3), big = test::randomImage(5 << 20, 4);
        const qint64 eof = 0x454F46;
        const auto flipped = [](QByteArray b, qint64 at) {
            return b.replace(at, 1, QByteArray(1, char(~b[at])));
        };
        const std::tuple<const char *, QByteArray, QByteArray, bool> rows[] = {
            {"equal images", image, image, false},
            {"one changed byte", image, flipped(image, 1000), false},
            {"the last byte", image, flipped(image, image.size() - 1), false},
            {"a run", image, QByteArray(image).replace(1000, 300, QByteArray(300, 'r')), true},
            {"a byte at 0x454F46", big, flipped(big, eof), false},
            {"a run at 0x454F46", big, QByteArray(big).replace(eof, 99, QByteArray(99, 'r')), true},
            {"a shorter target", image, flipped(image.left(250000), 10), false},
            {"a longer target", image, image + image.mid(299300, 600) + QByteArray(50, 'x'), true},
        };
        int actions = 0;
        for (const auto &[name, original, target, hasRuns] : rows) {
            int runs = 0;
            const auto ips = MakeIpsPatch(original, target);
            QVERIFY2(ips && applyIps(original, *ips, runs) == target && (runs > 0) == hasRuns,
                     name);
            const QByteArray bps = MakeBpsPatch(original, target);
            QVERIFY2(applyBps(original, bps, actions) == target, name);
            // The program's own appliers agree, and refuse a wrong target checksum.
            QVERIFY2(ApplyIps(original, *ips).image == target, name);
            QVERIFY2(ApplyBps(original, bps).image == target, name);
            QVERIFY2(!ApplyBps(original, test::sealed(flipped(bps, bps.size() - 8))).ok(), name);
            QVERIFY2(ips->size() < 1000 && bps.size() < 1000, name);
        }
        QCOMPARE(actions, 0b1111); // SourceRead, TargetRead, SourceCopy, TargetCopy
        QString why;
        const QByteArray huge((16 << 20) + 1, '\0');
        QVERIFY(!MakeIpsPatch(huge, huge, &why) && why.contains(QLatin1String("16 MiB")));
    }

    // Every kind of other file against one open image with unsaved edits,
    // checked against what a person reads off the changes made; its own
    // export differs in nothing.
    void comparisonsSayWhatDiffersAndWhy() {
        QByteArray saved = test::plainImage(7);
        saved[SpellTableOffset + 6 * RecordSize + 2] = 4;          // "STOP, ZAP!" holds a comma
        saved[SpellTableOffset + 10 * RecordSize + 6] = char(250); // "Invalid Value"
        test::setName(saved, 40, QByteArray::fromHex("8F9890FF")); // FOG, padded
        test::setName(saved, 41, QByteArray::fromHex("8A00C1FF")); // no characters
        MainModule ours = test::storeOf(saved);
        ours.SpellNames[40] = QByteArray::fromHex("8F9890"); // as the name box stores it
        const QByteArray csv = ExportCsv(ours);
        QVERIFY(csv.count("\r\n") == SlotCount + 1 && csv.contains(",4,\"STOP, ZAP!\","));
        QCOMPARE(ParseSpellsJson(ExportJson(ours), "x.json").changes.size(), size_t(SlotCount));
        ours.SpellBytes(20, 6) = 1; // unsaved edits: "Invalid Value",
        ours.SpellBytes(30, 4) = 2; // "One Enemy" (no patch changes slot 30)
        QByteArray mod = saved, other = saved;
        test::setRecord(mod, 4, {0x18, 0, 16});
        test::setName(mod, 9, QByteArray::fromHex("8F9890FF"));
        mod[SpellTableOffset + 20 * RecordSize + 5] = 2;
        mod[SpellTableOffset + 63 * RecordSize + 6] = char(250);
        // 1,204 bytes that are not taken: record byte 8, a name's end, 1,202 others.
        for (qint64 at : {SpellTableOffset + 7, NameTableOffset + 4, qint64(1000)})
            for (qint64 k = at; k < at + (at == 1000 ? 1202 : 1); ++k)
                mod[k] = char(~mod[k]);
        other[0] = char(~other[0]);
        const auto hex = [](quint32 crc) {
            return QString::number(crc, 16).toUpper().rightJustified(8, QLatin1Char('0'));
        };
        const QString outside =
            QStringLiteral("The patch also changes 1,204 bytes outside the "
                           "spell tables; this editor takes only its spells.\n");
        const QString four = QStringLiteral("4 FIRE 3: No Elemental → Fire\n9 MUTE 0: AAAA → FOG \n"
                                            "20 FIR2 6: Invalid Value (1) → Invalid Value (2)\n");
        const QString last = QStringLiteral("63 XXXX 7: Gray → Invalid Value");
        const QByteArray bps = MakeBpsPatch(saved, mod),
                         damaged = bps.left(99) + 'x' + bps.mid(100);
        const QByteArray v1 =
            R"({"format": "corvantis-spells", "version": 1, "note": 1, "spells": )";
        using Row = std::tuple<QString, QByteArray, QString>;
        const auto json = [&v1](const QByteArray &spells, const char *error) {
            return Row{"x.json", v1 + spells,
                       QStringLiteral("x.json: ") + QString::fromUtf8(error)};
        };
        const Row rows[] = {
            {"ours.json", ExportJson(ours), "0 of 64 spells differ from ours.json"},
            {"mod.nes", mod,
             "5 of 64 spells differ from mod.nes\n" + four +
                 "30 CONF 4: One Enemy → All Enemies\n" + last},
            {"mod.ips", *MakeIpsPatch(saved, mod),
             "4 of 64 spells differ from mod.ips\n" + outside + four + last},
            {"mod.bps", bps, "4 of 64 spells differ from mod.bps\n" + outside + four + last},
            {"other.bps", MakeBpsPatch(other, mod),
             QStringLiteral("4 of 64 spells differ from other.bps\nThis patch was made for another "
                            "image (CRC32 %1; this image is %2).\n")
                     .arg(hex(test::crcOf(other)), hex(test::crcOf(saved))) +
                 outside + four + last},
            {"cut", *MakeIpsPatch(saved, mod.left(200000)), // an IPS patch by its content
             "4 of 64 spells differ from cut\n" + outside +
                 "The patch also shortens the image from 262,160 to 200,000 bytes; this editor "
                 "takes only its spells.\n" +
                 four + last},
            {"mod.json",
             v1 +
                 R"([{"slot": 4, "elemental": 16, "elementalText": "Fire"}, {"slot": 9, "nameBytes": "8F9890"},
                {"slot": 5, "label": "SLEP", "targettingText": "Self", "raw": "18 00 00 04 01 B0 20"},
                {"slot": 20, "appearanceText": "Bar of Light"}]})",
             "4 of 64 spells differ from mod.json\n4 FIRE 3: No Elemental → Fire\n5 SLEP 4: All "
             "Enemies → Self\n9 MUTE 0: AAAA → FOG \n20 FIR2 6: Invalid Value → Bar of Light"},
            {"bad.ips", "PATCX" + mod,
             R"(bad.ips: not an IPS patch: it does not begin with "PATCH")"},
            {"cut.ips",
             QByteArray("PATCH\0\x10\0\0\x05"
                        "ab",
                        12),
             "cut.ips: the patch is cut short: it ends inside the record at byte 5"},
            {"long.ips", QByteArray("PATCHEOF\x05\0\0", 11),
             "long.ips: the patch cuts the image to 327,680 bytes, past its end (262,160 bytes)"},
            {"bad.bps", damaged,
             QStringLiteral("bad.bps: wrong checksum: the patch is damaged (its CRC32 is %1; it "
                            "should be %2)")
                 .arg(hex(test::crcOf(damaged.chopped(4))), hex(test::crcOf(bps.chopped(4))))},
            {"past.bps",
             test::sealed("BPS1" + bpsNumber(0) + bpsNumber(300000) + bpsNumber(0) +
                          bpsNumber((300000 - 1) << 2) + QByteArray(12, '\0')),
             "past.bps: the patch reads past the end of the image (262,160 bytes), at byte 9"},
            {"huge.bps",
             test::sealed("BPS1" + bpsNumber(0) + bpsNumber(MaximumImageSize + 1) + bpsNumber(0) +
                          QByteArray(12, '\0')),
             "huge.bps: the patch makes an image of 67,108,865 bytes; no Corvantis image has more "
             "than 67,108,864"},
            json(R"([{"slot": 4, "name": "日本"}]})",
                 R"(spells[0].name (slot 4): "日本" holds 日, which a spell name cannot hold)"),
            // (moc misreads "#" in a raw string)
            json("[{\"slot\": 4, \"name\": \"@#$\"}]}",
                 "spells[0].name (slot 4): \"@#$\" holds @, which a spell name cannot hold"),
            json(R"([{"slot": 4, "name": "é"}]})",
                 R"(spells[0].name (slot 4): "é" holds é, which a spell name cannot hold)"),
            json(R"([{"slot": 4, "name": "FIRES"}]})",
                 R"(spells[0].name (slot 4): "FIRES" has 5 characters; a name has four at most)"),
            json(R"([{"slot": 4, "effect": 3, "effect": 4}]})",
                 "spells[0].effect (slot 4): given twice in one object"),
            json(R"([], "spells": []})", "spells: given twice in one object"),
            json(R"([{"slot": 4, "elemental": 32, "elementalText": "Fire"}]})",
                 R"(spells[0].elementalText (slot 4): "Fire" disagrees with elemental 32 ("Ice"))"),
            json(
                R"([{"slot": 4, "elementalText": "Wind"}]})",
                R"(spells[0].elementalText (slot 4): "Wind" is not a text the Elemental field shows)"),
            json(
                R"([{"slot": 4, "elementalText": "Invalid Value"}]})",
                R"(spells[0].elementalText (slot 4): "Invalid Value" stands for no one value; give elemental as a number)"),
            json(R"([{"slot": 9, "name": "ZZZZ", "nameBytes": "8A"}]})",
                 R"(spells[0].name (slot 9): "ZZZZ" disagrees with nameBytes "8A" ("A"))"),
            json(R"([{"slot": 5, "effect": 3, "raw": "18 00 00 04 01 B0 20"}]})",
                 R"(spells[0].raw (slot 5): "18 00 00 04 01 B0 20" disagrees with effect 3)"),
            json(R"([{"slot": 0}, {"slot": 1, "effect": 300}]})",
                 "spells[1].effect: 300 is not a byte from 0 to 255"),
            json(R"([{"slot": 0, "nameBytes": "8A8B8C8D8E"}]})",
                 R"(spells[0].nameBytes: "8A8B8C8D8E" is 5 bytes; a name has four at most)"),
            json(R"([{"slot": 3}, {"slot": 3}]})", "spells[1].slot: slot 3 is given twice"),
            {"x.json", "{\n\"format\" 1}",
             "x.json: not JSON: missing name separator at line 2, column 10"},
            {"x.json", R"({"format": "corvantis-spells", "version": 2})",
             "x.json: version: 2 is newer than this editor reads (1)"},
        };
        for (const auto &[name, file, expected] : rows) {
            const Comparison c = CompareWithFile(file, name, ours, saved);
            QCOMPARE(shown(c), expected);
            // Taking every spell that differs leaves none that differs.
            std::vector<int> all;
            for (const SpellDifference &d : c.spells)
                all.push_back(d.slot);
            MainModule taken = ours;
            for (const SpellChange &change : SpellsToTake(c.theirs, all))
                ApplyChange(taken, change);
            QVERIFY(!c.ok() || CompareSpells(taken, c.theirs).empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
