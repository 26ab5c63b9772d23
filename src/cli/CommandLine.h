#pragma once

#include <QCommandLineParser>

namespace corvantis::cli {

// Adds the verbs (--list, --export, --import, --create-patch) and their
// options (--output, --force) to the program's parser, so that --help lists
// them.
void AddOptions(QCommandLineParser &parser);

// Whether the parsed command line holds a verb or one of its options: then
// RunVerb answers it and no window starts.
bool HasVerb(const QCommandLineParser &parser);

// Runs the verb on the one image named on the command line and returns the
// exit status: 0 done, 1 failed (the reason on standard error), 2 a usage
// error. Needs only a QCoreApplication.
int RunVerb(const QCommandLineParser &parser);

} // namespace corvantis::cli
