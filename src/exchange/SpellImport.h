#pragma once

#include "data/MainModule.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace corvantis {

// What an imported file says about one slot. Only what it gives is changed.
struct SpellChange {
    int slot = 0;
    // Record byte n at [n - 1]; nullopt keeps the stored byte.
    std::array<std::optional<quint8>, FieldCount> bytes{};
    // The four bytes the name record will hold (padded with 0xFF); nullopt
    // keeps the stored name.
    std::optional<QByteArray> name;
};

// A parsed spell file: the changes in file order, or the first problem.
struct SpellImport {
    std::vector<SpellChange> changes;
    // Empty when the file was read; otherwise the file's name, where the
    // problem is and what it is: "spells.json: spells[12].effect: 300 is not a
    // byte from 0 to 255", "spells.json: spells[4].name (slot 4): "日本" holds
    // 日, which a spell name cannot hold". There are then no changes.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Reads the JSON export format, strictly: nothing is taken from a file that
// says two things at once. A field's text ("elementalText") must be what the
// field shows for its number, and given without the number it stands for the
// one value that shows it (effectivenessText needs the effect beside it); the
// label must be the slot's, the raw line the bytes', a name as text at most
// four characters the game can show, and beside nameBytes what those bytes
// show. No key may appear twice in one object. Keys it does not know are
// ignored; a slot left out is not changed. fileName only goes into the
// message.
SpellImport ParseSpellsJson(const QByteArray &json, const QString &fileName);

// Whether text is meant as spells: the export's JSON (an object), or lines
// separated by tabs under a header line of the CSV's keys with "slot" among
// them, as SpellsText writes them and a spreadsheet copies them.
bool HoldsSpells(const QString &text);
// Reads such text as ParseSpellsJson reads the JSON (tab-separated lines as
// spells in their order, each key of the header a key of the spell); source
// names it in the message.
SpellImport ParseSpellsText(const QString &text, const QString &source);

// Whether the change would alter the slot's record bytes, or its name as the
// file will hold it.
bool ChangesRecord(const MainModule &store, const SpellChange &change);
bool ChangesName(const MainModule &store, const SpellChange &change);

// Puts the change into the store: the given bytes, and the name where it
// differs. Marks and the guard are the caller's business.
void ApplyChange(MainModule &store, const SpellChange &change);

} // namespace corvantis
