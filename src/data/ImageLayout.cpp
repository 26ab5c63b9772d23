#include "data/ImageLayout.h"

namespace corvantis {

QByteArray PaddedName(const QByteArray &name) {
    QByteArray padded = name.left(NameLength);
    padded.append(NameLength - padded.size(), char(NameFiller));
    return padded;
}

SpellRecords RecordsOf(const QByteArray &tables) {
    SpellRecords records;
    if (tables.size() != TablesSize)
        return records;
    const char *names = tables.constData();
    const char *bytes = names + NameTableSize;
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 0; n < FieldCount; ++n)
            records[size_t(slot)].bytes[size_t(n)] = quint8(bytes[slot * RecordSize + n]);
        records[size_t(slot)].name = QByteArray(names + slot * NameRecordSize, NameLength);
    }
    return records;
}

Regions RegionsOf(const SpellRecords &records) {
    Regions regions;
    regions.reserve(2 * SlotCount);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const SpellRecord &r = records[size_t(slot)];
        regions.append({NameTableOffset + qint64(slot) * NameRecordSize,
                        PaddedName(r.name) + char(NameTerminator)});
        regions.append({SpellTableOffset + qint64(slot) * RecordSize,
                        QByteArray(reinterpret_cast<const char *>(r.bytes.data()), FieldCount)});
    }
    return regions;
}

QByteArray TablesOf(const QByteArray &image) {
    if (image.size() < MinimumImageSize)
        return {};
    QByteArray tables;
    tables.reserve(TablesSize);
    for (const Span &s : TableSpans)
        tables.append(image.constData() + s.offset, s.size);
    return tables;
}

namespace {

// Where a file offset lies in a tables buffer, or -1 outside both tables.
qint64 tablesIndex(qint64 offset) {
    qint64 at = 0;
    for (const Span &s : TableSpans) {
        if (offset >= s.offset && offset < s.offset + s.size)
            return at + offset - s.offset;
        at += s.size;
    }
    return -1;
}

} // namespace

QByteArray TablesAfter(QByteArray tables, const Regions &regions) {
    for (const Region &r : regions)
        for (qint64 i = 0; i < r.bytes.size(); ++i) {
            const qint64 at = tablesIndex(r.offset + i);
            if (at >= 0 && at < tables.size())
                tables[at] = r.bytes[i];
        }
    return tables;
}

bool PutRegions(QByteArray &image, const Regions &regions) {
    for (const Region &r : regions)
        if (r.offset < 0 || r.offset + r.bytes.size() > image.size())
            return false;
    for (const Region &r : regions)
        image.replace(r.offset, r.bytes.size(), r.bytes);
    return true;
}

} // namespace corvantis
