#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvantis {

// Reads a whole regular file. A folder, a named pipe or a device is refused:
// reading them would fail or never end. On failure why (if given) says what
// went wrong, without the path.
std::optional<QByteArray> ReadWholeFile(const QString &path, QString *why = nullptr);

// Writes bytes to path through a temporary file beside it that replaces the
// file only once complete, so a failure leaves what was there. On failure why
// (if given) says what went wrong, without the path.
bool SaveWholeFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

// Whether two paths name one existing file (through links too).
bool SameFile(const QString &a, const QString &b);

} // namespace corvantis
