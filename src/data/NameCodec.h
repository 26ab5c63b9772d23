#pragma once

#include <QByteArray>
#include <QString>

namespace corvantis {

// Spell names are stored in the game's own one-byte text encoding: digits,
// letters and a few marks in the upper half of the byte range, 0xFF a blank.
// Both directions silently drop what the game's font has no place for.
QString DecodeName(const QByteArray &name);
QByteArray EncodeName(const QString &text);

// Whether a character can be typed into a name (it has a byte in the game's
// encoding).
bool IsNameCharacter(QChar c);

} // namespace corvantis
