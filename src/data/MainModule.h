#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

namespace corvantis {

// Where the two tables sit in a cartridge image. Nothing else of the image is
// read or interpreted.
constexpr int SlotCount = 64;
constexpr int FieldCount = 7; // record bytes 1..7 are edited; byte 8 is never touched
constexpr int RecordSize = 8;
constexpr int NameLength = 4;     // text bytes of a name record
constexpr int NameRecordSize = 5; // text bytes plus the 0x00 terminator
constexpr qint64 SpellTableOffset = 0x301F0;
constexpr qint64 NameTableOffset = 0x2BE13;
constexpr qint64 SpellTableSize = qint64(SlotCount) * RecordSize;
constexpr qint64 NameTableSize = qint64(SlotCount) * NameRecordSize;
// An image shorter than this cannot hold the record table, which lies last.
constexpr qint64 MinimumImageSize = SpellTableOffset + SpellTableSize;
constexpr quint8 NameFiller = 0xFF;
constexpr quint8 NameTerminator = 0x00;

// The program's one working copy of an image's spell data, with its change
// marks. The window owns one; tests make their own.
class MainModule {
  public:
    // Byte number n (1..7) of a slot's record; n is 1-based as the fields are.
    quint8 &SpellBytes(int slot, int n) { return bytes_[slot][n - 1]; }
    quint8 SpellBytes(int slot, int n) const { return bytes_[slot][n - 1]; }

    std::array<QByteArray, SlotCount> SpellNames{};
    std::array<bool, SlotCount> SpellChanged{};
    bool FileChanged = false;
    bool ReadOnlyROM = false;

    // Loads all 64 records and names, or nothing: on failure the store keeps
    // exactly what it held. The caller reports the failure.
    bool ReadSpells(const QString &path);

    // Writes all 64 records and names into the existing image at path through
    // a temporary copy that replaces the file only once complete, so a failure
    // leaves the file as it was. Never creates or lengthens a file.
    bool WriteSpells(const QString &path) const;

    // Test seam: called with the file offset of each chunk before it is
    // written; returning false makes that write fail.
    std::function<bool(qint64 offset)> writeChunkHook;

  private:
    std::array<std::array<quint8, FieldCount>, SlotCount> bytes_{};
};

} // namespace corvantis
