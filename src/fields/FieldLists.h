#pragma once

#include <QString>
#include <QStringList>

namespace corvantis {

// The item shown for a stored byte that no other item of its field stands for.
extern const QString InvalidValueText; // "Invalid Value"

// Effect choice indexes under which byte 2 is picked from a list rather than typed.
constexpr int EffectNegative = 3;
constexpr int EffectPositive = 7;
constexpr int EffectResist = 9;
constexpr int EffectStrongerNegatives = 16;

// The 64 fixed labels of the spell selector; the index is the slot.
const QStringList &SlotLabels();

// The constant list of a record field, items exactly as the game names them:
// byte 1 (eight items, no "Invalid Value") and bytes 3..7 ("Invalid Value"
// last). Any other byte number gives an empty list.
const QStringList &FieldItems(int byteNumber);

// True for the effect choice indexes 3, 7, 9 and 16, whose byte 2 is a list.
bool IsEffectivenessList(int effectIndex);

// The byte-2 list of a list effect ("Invalid Value" last); empty for any
// other effect index.
const QStringList &EffectivenessItems(int effectIndex);

// The caption of a record field's label ("First Byte" .. "Color Palette");
// empty for a byte number outside 1..7.
QString FieldCaption(int byteNumber);

} // namespace corvantis
