// Every patch written is applied back by a small applier of its format;
// export and import keep the tables; a bad spell file says where it is wrong.

#include "exchange/Patch.h"
#include "exchange/SpellExport.h"
#include "exchange/SpellImport.h"
#include "support/ImageFixture.h"

#include <QtTest>

#include <zlib.h>

using namespace corvantis;

// Applies an IPS patch and counts its run-length records.
static std::optional<QByteArray> applyIps(QByteArray out, const QByteArray &p, int &runs) {
    qsizetype at = 5;
    const auto number = [&](int size) {
        qint64 v = 0;
        while (size--)
            v = v << 8 | quint8(p[at++]);
        return v;
    };
    while (p.startsWith("PATCH") && at + 3 <= p.size() && p.mid(at, 3) != "EOF") {
        const qint64 offset = number(3), size = number(2), length = size ? size : number(2);
        runs += size == 0;
        out.append(QByteArray(std::max<qint64>(0, offset + length - out.size()), '\0'));
        out.replace(offset, length, size ? p.mid(at, size) : QByteArray(length, p[at]));
        at += size ? size : 1;
    }
    at += 3;
    if (at + 3 == p.size())
        out.truncate(number(3));
    return at == p.size() ? std::optional(out) : std::nullopt;
}

static quint64 number(const QByteArray &p, qsizetype &at) {
    quint64 v = 0;
    for (quint64 shift = 1, x = 0; !(x & 0x80); shift <<= 7) {
        x = quint8(p[at++]);
        v += (x & 0x7F) * shift + (x & 0x80 ? 0 : shift << 7);
    }
    return v;
}

static quint32 crcOf(const QByteArray &b) {
    return quint32(crc32(0, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size())));
}

// Applies a BPS patch, refusing a wrong source or a damaged patch; sets bit
// n of seen for each action n it meets.
static std::optional<QByteArray> applyBps(const QByteArray &src, const QByteArray &p, int &seen) {
    const qsizetype end = p.size() - 12;
    const auto word = [&p](qsizetype at) { return qFromLittleEndian<quint32>(p.constData() + at); };
    qsizetype at = 4;
    if (!p.startsWith("BPS1") || crcOf(p.left(end + 8)) != word(end + 8) ||
        crcOf(src) != word(end) || number(p, at) != quint64(src.size()))
        return std::nullopt;
    const qsizetype size = qsizetype(number(p, at));
    at += qsizetype(number(p, at));
    QByteArray out;
    qint64 relative[4] = {};
    while (at < end) {
        const quint64 a = number(p, at);
        const int kind = int(a & 3);
        const qint64 length = qint64(a >> 2) + 1;
        seen |= 1 << kind;
        if (kind == 0)
            out += src.mid(out.size(), length);
        if (kind == 1)
            out += p.mid(std::exchange(at, at + length), length);
        const quint64 d = kind >= 2 ? number(p, at) : 0;
        relative[kind] += (d & 1) ? -qint64(d >> 1) : qint64(d >> 1);
        for (qint64 k = 0; kind >= 2 && k < length; ++k)
            out += (kind == 2 ? src : out).at(relative[kind]++);
    }
    return out.size() == size && crcOf(out) == word(end + 4) ? std::optional(out) : std::nullopt;
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
            QVERIFY2(!applyBps(flipped(original, 77), bps, actions), name);
            QVERIFY2(!applyBps(original, flipped(bps, bps.size() / 2), actions), name);
            QVERIFY2(ips->size() < 1000 && bps.size() < 1000, name);
        }
        QCOMPARE(actions, 0b1111); // SourceRead, TargetRead, SourceCopy, TargetCopy
        QString why;
        const QByteArray huge((16 << 20) + 1, '\0');
        QVERIFY(!MakeIpsPatch(huge, huge, &why) && why.contains(QLatin1String("16 MiB")));
    }

    void exportAndImportKeepTheTables() {
        const QByteArray image = test::plainImage(5);
        MainModule edited = test::storeOf(image), fresh = test::storeOf(image);
        edited.SpellBytes(6, 3) = 4;                                  // "STOP, ZAP!" holds a comma
        edited.SpellBytes(10, 7) = 250;                               // "Invalid Value"
        edited.SpellNames[4] = test::bytes({0x8F, 0x98, 0x90});       // FOG, saved padded
        edited.SpellNames[5] = test::bytes({0x8A, 0x00, 0xC1, 0xFF}); // bytes with no character
        const SpellImport back = ParseSpellsJson(ExportJson(edited), QStringLiteral("x.json"));
        // Only what is given changes: the bytes decide, a name given only as
        // text is read as the name box reads it.
        const QByteArray given = R"({"format": "corvantis-spells", "version": 1, "note": 1,
            "spells": [{"slot": 7, "name": "FI@RE", "effect": 3, "effectText": "x"},
                       {"slot": 9, "name": "ZZZZ", "nameBytes": "8A"}]})";
        const SpellImport some = ParseSpellsJson(given, QStringLiteral("in.json"));
        QVERIFY2(back.ok() && back.changes.size() == SlotCount, qPrintable(back.error));
        QVERIFY2(some.ok() && some.changes.size() == 2, qPrintable(some.error));
        for (const SpellImport *in : {&back, &some})
            for (const SpellChange &change : in->changes)
                ApplyChange(fresh, change);
        edited.SpellBytes(7, 5) = 3;
        edited.SpellNames[7] = test::bytes({0x92, 0x9B, 0x8E}); // the box keeps "I@RE"
        edited.SpellNames[9] = test::bytes({0x8A});
        QCOMPARE(test::asSaved(image, fresh), test::asSaved(image, edited));
        const QByteArray csv = ExportCsv(edited);
        QVERIFY(csv.count("\r\n") == SlotCount + 1 && csv.contains(",4,\"STOP, ZAP!\","));

        // The image as saved is what Save writes.
        test::ImageFolder folder;
        const QString path = folder.add(QStringLiteral("a.nes"), image);
        QVERIFY(edited.WriteSpells(path));
        QCOMPARE(test::readWhole(path), test::asSaved(image, edited));
    }

    void badFilesNameTheFirstProblem() {
        const QByteArray v1 = R"({"format": "corvantis-spells", "version": 1, "spells": )";
        const std::pair<QByteArray, const char *> rows[] = {
            {"{\n\"format\" 1}", "not JSON: missing name separator at line 2, column 10"},
            {R"({"format": "other"})", R"(format: "other" is not "corvantis-spells")"},
            {R"({"format": "corvantis-spells", "version": 2})",
             "version: 2 is newer than this editor reads (1)"},
            {v1 + R"([{"slot": 0}, {"slot": 1, "effect": 300}]})",
             "spells[1].effect: 300 is not a byte from 0 to 255"},
            {v1 + R"([{"slot": 0, "nameBytes": "8A8B8C8D8E"}]})",
             R"(spells[0].nameBytes: "8A8B8C8D8E" is 5 bytes; a name has four at most)"},
            {v1 + R"([{"slot": 64}]})", "spells[0].slot: 64 is not a slot from 0 to 63"},
            {v1 + R"([{"slot": 3}, {"slot": 3}]})", "spells[1].slot: slot 3 is given twice"},
        };
        for (const auto &[json, error] : rows) {
            const SpellImport in = ParseSpellsJson(json, QStringLiteral("bad.json"));
            QCOMPARE(in.error, QStringLiteral("bad.json: ") + QLatin1String(error));
            QVERIFY(in.changes.empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
