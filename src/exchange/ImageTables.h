#pragma once

#include "data/MainModule.h"

#include <QByteArray>

#include <optional>

namespace corvantis {

// The two tables of an image held in memory, by the same rules as
// ReadSpells and WriteSpells use for the file.

// Loads all 64 records and names from an image into the store; false, with
// the store untouched, when the image is too short to hold both tables.
bool ReadTables(const QByteArray &image, MainModule &store);

// The image as Save would write it now: the store's records (bytes 1..7; the
// eighth byte keeps the image's value) and names (padded with 0xFF, then
// 0x00) in place, every other byte as it was. nullopt when the image is too
// short to hold both tables. Moving the image in saves a copy of it.
std::optional<QByteArray> ImageAsSaved(QByteArray image, const MainModule &store);

// A stored name as its record holds it: at most four bytes, padded with 0xFF.
QByteArray PaddedName(const QByteArray &name);

// A slot whose stored First Byte is 0xFF: changing its record is risky and
// asks first.
constexpr quint8 SpecialFirstByte = 0xFF;
bool IsSpecialSlot(const MainModule &store, int slot);

} // namespace corvantis
