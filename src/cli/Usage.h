#pragma once

#include <QString>

// How the program answers on a terminal, the same for the window's start and
// for the verbs: messages start with the program's name, a wrong command line
// says so in one line and where the usage is, and output that cannot be
// written is a failure.
namespace corvantis::cli {

// Writes text to standard output. Returns 0, or 1 with the reason on
// standard error when it could not be written whole (a full disk, a closed
// pipe).
int PrintOut(const QString &text);

// "corvantis-spell-editor: WHY" on standard error; returns 1.
int Failed(const QString &why);

// "corvantis-spell-editor: WHY" and a line on where to find the usage, on
// standard error; returns 2, the status of a wrong command line.
int UsageError(const QString &why);

} // namespace corvantis::cli
