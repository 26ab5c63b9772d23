#pragma once

#include "data/MainModule.h"
#include "exchange/SpellImport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <bitset>
#include <vector>

namespace corvantis {

// The columns of a spell in a comparison: the name, then record bytes 1..7.
constexpr int NameColumn = 0;
constexpr int CompareColumns = FieldCount + 1;

// One slot whose spell differs, as each side shows it.
struct SpellDifference {
    int slot = 0;
    QString label;
    std::array<QString, CompareColumns> ours, theirs;
    std::bitset<CompareColumns> differs;
    // "ours → theirs" where the column differs, else ours.
    QString cell(int column) const;
};

// The slots whose name (as the file holds it, padded) or record bytes 1..7
// differ, in slot order. Each column shows the field's own text, names
// decoded; where two different values show the same text, each is followed
// by its value in parentheses, so that no difference reads as none.
std::vector<SpellDifference> CompareSpells(const MainModule &ours, const MainModule &theirs);

// The open image compared with another image, a patch or a spell file.
struct Comparison {
    // Why the other file cannot be compared ("mod.bps: wrong checksum: ...");
    // nothing else is set then.
    QString error;
    bool ok() const { return error.isEmpty(); }
    static Comparison failed(const QString &name, const QString &error);
    // The other file's name, as the count says it.
    QString name;
    // Their spells: what Take takes.
    MainModule theirs;
    std::vector<SpellDifference> spells;
    // What else a reader should know, said above the list: a patch made for
    // another image, bytes it changes that are not taken, a changed length.
    QStringList notes;
    // "12 of 64 spells differ from mod.bps"
    QString count() const;
};

// Compares ours (the open image's spells, unsaved edits included) with the
// bytes of another file called name. A .ips or .bps file is a patch, a .json
// file a spell file; any other goes by content ("PATCH", "BPS1", or a JSON
// object too short to be an image) and is otherwise an image whose tables are
// read. A patch is applied in memory to savedImage (the open image as saved)
// with ours' tables in it, and a BPS patch's source CRC-32 is checked against
// savedImage's; savedImage is not used for the other kinds. A spell file is
// applied to a copy of ours.
Comparison CompareWithFile(const QByteArray &file, const QString &name, const MainModule &ours,
                           const QByteArray &savedImage);

// Whether CompareWithFile takes the file as a patch (which needs the open
// image as saved); otherwise it is an image or a spell file.
bool IsPatchFile(const QString &name, const QByteArray &file);

// What makes the chosen slots hold theirs' spells: all seven record bytes and
// the name of each, in the order given (slots out of range are left out).
std::vector<SpellChange> SpellsToTake(const MainModule &theirs, const std::vector<int> &chosen);

} // namespace corvantis
