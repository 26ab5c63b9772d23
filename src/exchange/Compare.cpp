#include "exchange/Compare.h"

#include "data/NameCodec.h"
#include "exchange/PatchApply.h"
#include "exchange/SpellExport.h"
#include "fields/FieldLists.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace corvantis {

namespace {

enum class Kind { Image, Ips, Bps, Spells };

Kind kindOf(const QString &name, const QByteArray &file) {
    if (const std::optional<PatchFormat> format = PatchFormatOf(name))
        return *format == PatchFormat::Ips ? Kind::Ips : Kind::Bps;
    if (QFileInfo(name).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return Kind::Spells;
    if (file.startsWith("PATCH"))
        return Kind::Ips;
    if (file.startsWith("BPS1"))
        return Kind::Bps;
    const qsizetype first =
        std::find_if(file.begin(), file.end(), [](char c) { return !QChar::isSpace(uchar(c)); }) -
        file.begin();
    return file.size() < MinimumImageSize && first < file.size() && file[first] == '{'
               ? Kind::Spells
               : Kind::Image;
}

QString tooShort(const QString &what, qint64 size) {
    return QStringLiteral("%1 is too short to hold the spell tables (%2 bytes; they need %3)")
        .arg(what, GroupedNumber(size), GroupedNumber(MinimumImageSize));
}

// The bytes that differ between two images over their common length and
// that Take does not take (record bytes 1..7 and the four name bytes of each
// slot): all that differ, less the taken ones.
qint64 untakenChanges(const QByteArray &before, const QByteArray &after) {
    const qint64 common = std::min(before.size(), after.size());
    const char *a = before.constData(), *b = after.constData();
    qint64 count = 0, at = 0;
    // Eight bytes at a time, a patch may rewrite a whole image: in x, the
    // high bit of each byte that differs, then those bits summed.
    constexpr quint64 Low7 = 0x7F7F7F7F7F7F7F7FULL, Ones = 0x0101010101010101ULL;
    for (; at + 8 <= common; at += 8) {
        quint64 x, y;
        std::memcpy(&x, a + at, 8);
        std::memcpy(&y, b + at, 8);
        x ^= y;
        if (x)
            count += qint64(((((((x & Low7) + Low7) | x) & ~Low7) >> 7) * Ones) >> 56);
    }
    for (; at < common; ++at)
        count += a[at] != b[at];
    const auto taken = [&](qint64 offset) { count -= offset < common && a[offset] != b[offset]; };
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int k = 0; k < FieldCount; ++k)
            taken(SpellTableOffset + slot * RecordSize + k);
        for (int k = 0; k < NameLength; ++k)
            taken(NameTableOffset + slot * NameRecordSize + k);
    }
    return count;
}

// Their spells from a whole image; false when it cannot hold the tables.
bool readTables(const QByteArray &image, MainModule &store) {
    if (image.size() < MinimumImageSize)
        return false;
    store.setRecords(RecordsOf(TablesOf(image)));
    return true;
}

QString hex(quint32 crc) {
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

// Reads their spells from the file into c, with the notes; the problem
// otherwise.
QString readTheirs(const QByteArray &file, Kind kind, const QByteArray &savedImage,
                   const MainModule &ours, Comparison &c) {
    if (kind == Kind::Image)
        return readTables(file, c.theirs) ? QString() : tooShort(QStringLiteral("it"), file.size());
    if (kind == Kind::Spells) {
        const SpellImport in = ParseSpellsJson(file, c.name);
        c.theirs = ours;
        for (const SpellChange &change : in.changes)
            ApplyChange(c.theirs, change);
        return in.error;
    }
    QByteArray now = savedImage;
    if (!PutRegions(now, RegionsOf(ours.records())))
        return tooShort(QStringLiteral("the open image"), savedImage.size());
    const AppliedPatch applied = ApplyPatch(kind == Kind::Ips ? PatchFormat::Ips : PatchFormat::Bps,
                                            now, file, Crc32(savedImage));
    if (!applied.ok())
        return applied.error;
    if (!readTables(applied.image, c.theirs))
        return tooShort(QStringLiteral("the patched image"), applied.image.size());
    if (!applied.madeForThisImage())
        c.notes << QStringLiteral("This patch was made for another image (CRC32 %1; this image "
                                  "is %2).")
                       .arg(hex(*applied.madeFor), hex(applied.checkedAgainst));
    const QString only = QStringLiteral("; this editor takes only its spells.");
    if (const qint64 outside = untakenChanges(now, applied.image))
        c.notes << QStringLiteral("The patch also changes %1 %2 outside the spell tables")
                           .arg(GroupedNumber(outside),
                                outside == 1 ? QStringLiteral("byte") : QStringLiteral("bytes")) +
                       only;
    if (applied.image.size() != now.size())
        c.notes << QStringLiteral("The patch also %1 the image from %2 to %3 bytes")
                           .arg(applied.image.size() < now.size() ? QStringLiteral("shortens")
                                                                  : QStringLiteral("lengthens"),
                                GroupedNumber(now.size()), GroupedNumber(applied.image.size())) +
                       only;
    return {};
}

} // namespace

bool IsPatchFile(const QString &name, const QByteArray &file) {
    const Kind kind = kindOf(name, file);
    return kind == Kind::Ips || kind == Kind::Bps;
}

QString SpellDifference::cell(int column) const {
    return differs[size_t(column)]
               ? ours[size_t(column)] + QStringLiteral(" → ") + theirs[size_t(column)]
               : ours[size_t(column)];
}

std::vector<SpellDifference> CompareSpells(const MainModule &ours, const MainModule &theirs) {
    std::vector<SpellDifference> out;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const auto a = ours.record(slot).bytes, b = theirs.record(slot).bytes;
        const QByteArray nameA = PaddedName(ours.SpellNames[slot]),
                         nameB = PaddedName(theirs.SpellNames[slot]);
        if (a == b && nameA == nameB)
            continue;
        SpellDifference d;
        d.slot = slot;
        d.label = SlotLabels().value(slot);
        d.ours[NameColumn] = DecodeName(ours.SpellNames[slot]);
        d.theirs[NameColumn] = DecodeName(theirs.SpellNames[slot]);
        d.differs[NameColumn] = nameA != nameB;
        if (d.differs[NameColumn] && d.ours[NameColumn] == d.theirs[NameColumn]) {
            d.ours[NameColumn] +=
                QStringLiteral(" (%1)").arg(QString::fromLatin1(nameA.toHex().toUpper()));
            d.theirs[NameColumn] +=
                QStringLiteral(" (%1)").arg(QString::fromLatin1(nameB.toHex().toUpper()));
        }
        for (int n = 1; n <= FieldCount; ++n) {
            const size_t k = size_t(n - 1);
            d.ours[size_t(n)] = FieldText(a, n);
            d.theirs[size_t(n)] = FieldText(b, n);
            d.differs[size_t(n)] = a[k] != b[k];
            if (d.differs[size_t(n)] && d.ours[size_t(n)] == d.theirs[size_t(n)]) {
                d.ours[size_t(n)] += QStringLiteral(" (%1)").arg(a[k]);
                d.theirs[size_t(n)] += QStringLiteral(" (%1)").arg(b[k]);
            }
        }
        out.push_back(d);
    }
    return out;
}

Comparison Comparison::failed(const QString &name, const QString &error) {
    Comparison c;
    c.name = name;
    c.error = error;
    return c;
}

QString Comparison::count() const {
    return QStringLiteral("%1 of %2 spells differ from %3")
        .arg(spells.size())
        .arg(SlotCount)
        .arg(name);
}

Comparison CompareWithFile(const QByteArray &file, const QString &name, const MainModule &ours,
                           const QByteArray &savedImage) {
    Comparison c;
    c.name = name;
    const Kind kind = kindOf(name, file);
    const QString problem = readTheirs(file, kind, savedImage, ours, c);
    if (!problem.isEmpty())
        // The spell file's reader names the file itself.
        return Comparison::failed(
            name, kind == Kind::Spells ? problem : name + QStringLiteral(": ") + problem);
    c.spells = CompareSpells(ours, c.theirs);
    return c;
}

std::vector<SpellChange> SpellsToTake(const MainModule &theirs, const std::vector<int> &chosen) {
    std::vector<SpellChange> changes;
    for (int slot : chosen) {
        if (slot < 0 || slot >= SlotCount)
            continue;
        SpellChange change;
        change.slot = slot;
        for (int n = 1; n <= FieldCount; ++n)
            change.bytes[size_t(n - 1)] = theirs.SpellBytes(slot, n);
        change.name = PaddedName(theirs.SpellNames[slot]);
        changes.push_back(change);
    }
    return changes;
}

} // namespace corvantis
