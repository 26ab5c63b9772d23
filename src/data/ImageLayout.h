#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

namespace corvantis {

// Where the two tables sit in a cartridge image, and the shape of their
// records. Nothing else of an image is read or interpreted.
constexpr int SlotCount = 64;
constexpr int FieldCount = 7; // record bytes 1..7 are edited; byte 8 is never touched
constexpr int RecordSize = 8;
constexpr int NameLength = 4;     // text bytes of a name record
constexpr int NameRecordSize = 5; // text bytes plus the 0x00 terminator
constexpr qint64 SpellTableOffset = 0x301F0;
constexpr qint64 NameTableOffset = 0x2BE13;
constexpr qint64 SpellTableSize = qint64(SlotCount) * RecordSize;
constexpr qint64 NameTableSize = qint64(SlotCount) * NameRecordSize;
// Both tables as one buffer: the name table, then the record table.
constexpr qint64 TablesSize = NameTableSize + SpellTableSize;
// An image shorter than this cannot hold the record table, which lies last.
constexpr qint64 MinimumImageSize = SpellTableOffset + SpellTableSize;
// No Corvantis image comes near this; a larger file is something else.
constexpr qint64 MaximumImageSize = qint64(64) << 20;
constexpr quint8 NameFiller = 0xFF;
constexpr quint8 NameTerminator = 0x00;
// A slot whose First Byte is this is special: changing its record is risky.
constexpr quint8 SpecialFirstByte = 0xFF;

// A run of bytes at a file offset.
struct Region {
    qint64 offset = 0;
    QByteArray bytes;
};
using Regions = QList<Region>;

// Where the two tables lie, in file order: what a reader reads.
struct Span {
    qint64 offset;
    qint64 size;
};
constexpr Span TableSpans[] = {{NameTableOffset, NameTableSize},
                               {SpellTableOffset, SpellTableSize}};

// One slot's data: its seven record bytes and its name (0..4 bytes in the
// game's encoding).
struct SpellRecord {
    std::array<quint8, FieldCount> bytes{};
    QByteArray name;

    // Byte number n, 1..7.
    quint8 byte(int n) const { return bytes[size_t(n - 1)]; }
    bool operator==(const SpellRecord &o) const { return bytes == o.bytes && name == o.name; }
    bool operator!=(const SpellRecord &o) const { return !(*this == o); }
};
using SpellRecords = std::array<SpellRecord, SlotCount>;

// A name as its record holds it: at most four bytes, padded with 0xFF.
QByteArray PaddedName(const QByteArray &name);

// The slots of a tables buffer (TablesSize bytes, as TablesOf gives).
SpellRecords RecordsOf(const QByteArray &tables);

// What a save writes for the slots: bytes 1..7 of each record (byte 8 keeps
// the file's value) and each name padded and terminated.
Regions RegionsOf(const SpellRecords &records);

// The tables of a whole image in memory; empty when it is too short.
QByteArray TablesOf(const QByteArray &image);

// The tables buffer after regions are written into the file it came from.
QByteArray TablesAfter(QByteArray tables, const Regions &regions);

// Writes regions into a whole image in memory; false (and image untouched)
// when a region lies past its end.
bool PutRegions(QByteArray &image, const Regions &regions);

} // namespace corvantis
