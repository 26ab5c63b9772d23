#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace corvantis {

// What a field shows for a stored byte.
struct DecodedField {
    // The choice index to select; -1 selects no item (byte 1 with an unlisted
    // value, or byte 2 shown as a number).
    int index = -1;
    // Byte 1 with no item: the value as bare upper-case hex ("5", "10", "AB").
    // Byte 2 as a number: the value in decimal. Otherwise empty.
    QString text;
};

// byteNumber is 1..7. effectIndex is the Effect field's current choice index
// and only matters for byte 2: 3, 7, 9 and 16 make byte 2 a list, anything
// else (-1 and 17 included) a number. A stored value that no item stands for
// decodes to the field's "Invalid Value" index.
DecodedField DecodeField(int byteNumber, quint8 value, int effectIndex = -1);

// A pick in a list field (bytes 3..7, byte 2 under a list effect, and byte 1's
// eight items): the value the item stands for, or nullopt for a pick that has
// no value (the "Invalid Value" item or any higher index, a negative index, or
// a field that is not a list).
std::optional<quint8> EncodeField(int byteNumber, int index, int effectIndex = -1);

// Typed text: byte 2 as a number goes through ReadNumber, byte 1 through
// ReadFirstByte. nullopt means out of range (or a field that takes no text).
std::optional<quint8> EncodeField(int byteNumber, const QString &text, int effectIndex = -1);

// Whether a stored value is one the field has an item for. Byte 1: one of its
// eight item values. Byte 2 as a number: always.
bool IsValidValue(int byteNumber, quint8 value, int effectIndex = -1);

// The index of the field's "Invalid Value" item, which is also the number of
// valid items; -1 where there is none (byte 1, byte 2 as a number).
int InvalidIndex(int byteNumber, int effectIndex = -1);

// Reads the number at the start of a typed text the way the Effectiveness box
// does. Blanks, tabs and line feeds anywhere are dropped first. Then: an
// optional sign, and either a decimal number (".5" and "5." included) with an
// optional exponent (E or D, optional sign, digits), or &H / &O followed by
// hexadecimal / octal digits read as a plain unsigned magnitude. Reading stops
// at the first character that does not fit; no number at all reads as 0. The
// result is rounded to the nearest whole number, halves to even. 0..255 is the
// value; anything else, however long the text, is nullopt.
std::optional<quint8> ReadNumber(const QString &text);

// Reads the First Byte box, blanks before and after ignored: one or two
// hexadecimal digits in either case ("a0", "5"), alone or followed by one
// blank and a description, as the items read ("18 Damaging", "5 foo"). A
// single digit before bare hexadecimal digits is no value ("1 8", "1 80"),
// nor is anything else ("Fire", "100").
std::optional<quint8> ReadFirstByte(const QString &text);

} // namespace corvantis
