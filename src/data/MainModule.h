#pragma once

#include "data/SafeSave.h"

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
    // exactly what it held, and reason (when given) says why. The image is
    // found as the kernel resolves path, and remembered (ImagePath).
    bool ReadSpells(const QString &path, QString *reason = nullptr);

    // Writes all 64 records and names into the existing image at path, so
    // that a failure leaves the file as it was (see WriteImage) and reason
    // says why. Never creates or lengthens a file.
    //
    // Once an image is loaded, path must still name that file, with the
    // length and tables it had when loaded or last saved; if another program
    // changed them, nothing is written unless replaceChanges says the user
    // agreed to replace its tables.
    bool WriteSpells(const QString &path, QString *reason = nullptr, bool replaceChanges = false);

    // Whether another program has changed the loaded image's tables, length
    // or file since it was loaded or last saved (see ChangedSince).
    bool ChangedOnDisk() const { return ChangedSince(image_); }

    // The loaded image as the kernel resolved it; empty before a load.
    const QString &ImagePath() const { return image_.path; }

    // Test seams (see SaveHooks): called before each write of a chunk, with
    // its file offset; before each flush to disk; before the temporary copy
    // beside the image is made.
    std::function<bool(qint64 offset)> writeChunkHook;
    std::function<bool()> flushHook;
    std::function<bool()> createTemporaryHook;

  private:
    // Puts the store's records and names into a whole image's bytes.
    void patch(QByteArray &image) const;

    std::array<std::array<quint8, FieldCount>, SlotCount> bytes_{};
    ImageIdentity image_;
};

} // namespace corvantis
