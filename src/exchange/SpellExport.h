#pragma once

#include "data/MainModule.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace corvantis {

// The name and version of the spell export; the import reads this version and
// older ones.
inline const QString SpellsFormatName = QStringLiteral("corvantis-spells");
constexpr int SpellsFormatVersion = 1;

// The key of record byte n (1..7) in an export: "firstByte", "effectiveness",
// "elemental", "targetting", "effect", "appearance", "colorPalette"; the text
// the field shows goes under the same key with "Text" added.
QString FieldKey(int byteNumber);

// What the window's field shows for a record's byte n: the item's text, or
// for byte 1 without an item its hexadecimal digits, for byte 2 in the number
// case its decimal value. Byte 2 follows the effect that byte 5 shows.
QString FieldText(const std::array<quint8, FieldCount> &record, int byteNumber);
QString FieldText(const MainModule &store, int slot, int byteNumber);

// Bytes 1..7 as the Raw Data box shows them: two upper-case hexadecimal digits
// and a blank each.
QString RawLine(const MainModule &store, int slot);

// The 64 spells as a JSON object: "format", "version", then "spells" in slot
// order. Each spell's keys come in one fixed order (slot, label, name,
// nameBytes, the seven bytes each followed by its text, raw), which is why the
// text is put together here rather than by QJsonObject, whose keys come out
// sorted.
QByteArray ExportJson(const MainModule &store);

// The same columns as CSV: a header row and 64 rows, CRLF line ends, fields
// quoted as RFC 4180 says.
QByteArray ExportCsv(const MainModule &store);

// Some spells, in the order of slots, as the clipboard carries them: the JSON
// of the export (which the import reads), and text for spreadsheets with the
// CSV's columns, separated by tabs, one line a spell after a header line.
// With fields (byte numbers, 0 the name) the JSON holds only those fields
// beside slot and label.
QByteArray SpellsJson(const MainModule &store, const QList<int> &chosen,
                      const QList<int> &fields = {});
QString SpellsText(const MainModule &store, const QList<int> &chosen);

enum class ExportFormat { Json, Csv };
// JSON for a .json file, CSV for a .csv one (in either case); nullopt for
// any other.
std::optional<ExportFormat> ExportFormatOf(const QString &path);
QByteArray ExportSpells(ExportFormat format, const MainModule &store);

} // namespace corvantis
