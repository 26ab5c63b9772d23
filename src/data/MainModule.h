#pragma once

#include "data/ImageLayout.h"
#include "data/SafeSave.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

namespace corvantis {

// One working copy of an image's spell data, with its change marks. The open
// image's is the session's (SpellDocument); tools and tests make their own.
class MainModule {
  public:
    // Byte number n (1..7) of a slot's record; n is 1-based as the fields are.
    quint8 &SpellBytes(int slot, int n) { return bytes_[slot][n - 1]; }
    quint8 SpellBytes(int slot, int n) const { return bytes_[slot][n - 1]; }

    std::array<QByteArray, SlotCount> SpellNames{};
    std::array<bool, SlotCount> SpellChanged{};
    bool FileChanged = false;
    bool ReadOnlyROM = false;

    SpellRecord record(int slot) const;
    void setRecord(int slot, const SpellRecord &r);
    SpellRecords records() const;
    void setRecords(const SpellRecords &records);
    // A slot whose First Byte is FF: changing its record is risky.
    bool IsSpecial(int slot) const { return SpellBytes(slot, 1) == SpecialFirstByte; }

    // Loads all 64 records and names, or nothing: on failure the store keeps
    // exactly what it held, and reason (when given) says why. Only the two
    // tables are read. The image is found as the kernel resolves path, and
    // remembered (Image).
    bool ReadSpells(const QString &path, QString *reason = nullptr);
    // Takes the tables of an image already read (ReadImage) as ReadSpells does.
    void Load(const ImageIdentity &image);

    // Writes all 64 records and names into the existing image at path, so
    // that a failure leaves the file as it was (see WriteImage) and reason
    // says why. Never creates or lengthens a file.
    //
    // Once an image is loaded, path must still name that file, with the
    // length and tables it had when loaded or last saved; if another program
    // changed them, nothing is written unless replaceChanges says the user
    // agreed to replace its tables.
    // warning (when given) says what the user must hear of a save that
    // succeeded (see WriteImage).
    bool WriteSpells(const QString &path, QString *reason = nullptr, bool replaceChanges = false,
                     QString *warning = nullptr);

    // Whether another program has changed the loaded image's tables, length
    // or file since it was loaded or last saved (see ChangedSince).
    bool ChangedOnDisk() const { return ChangedSince(image_); }

    // The loaded image as the kernel resolved it; invalid before a load.
    const ImageIdentity &Image() const { return image_; }
    const QString &ImagePath() const { return image_.path; }

    // Test seams (see SaveHooks).
    SaveHooks hooks;

  private:
    std::array<std::array<quint8, FieldCount>, SlotCount> bytes_{};
    ImageIdentity image_;
};

} // namespace corvantis
