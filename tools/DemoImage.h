#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace corvantis {

// The demo image's length: a 16-byte header and 256 KiB of made-up game data,
// enough to hold both spell tables.
constexpr qint64 DemoImageSize = 0x40010;

// A synthetic cartridge image for trying the editor and for tests. Both spell
// tables are filled with made-up records and with names taken from the slot
// labels; the records include special slots (first byte 0xFF), first bytes
// outside the listed eight, an invalid value in every field and every way of
// showing byte 2. Everything else is filler. The same bytes on every call.
QByteArray MakeDemoImage();

// Writes the demo image to path, replacing whatever file is there only once
// the new one is complete. On failure returns false and, if error is given,
// says why.
bool WriteDemoImage(const QString &path, QString *error = nullptr);

} // namespace corvantis
