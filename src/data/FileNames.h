#pragma once

#include <QByteArray>
#include <QString>

namespace corvantis {

// A file name on this system is bytes, not text, and need not be valid UTF-8.
// The program holds every path as a QString in which valid UTF-8 reads as
// text and each other byte as one escape character (U+DC80..U+DCFF, as
// Python's "surrogateescape" does), so that every name goes back to the same
// bytes. QFile::decodeName would turn such bytes into U+FFFD for good.

// The program's path for a system name: command-line arguments, names read
// from a folder, resolved paths.
QString DecodeFileName(const QByteArray &bytes);
// The system's bytes for a path; the inverse of DecodeFileName.
QByteArray EncodeFileName(const QString &path);
// A path for people to read: each escaped byte shown as U+FFFD.
QString DisplayFileName(const QString &path);

} // namespace corvantis
