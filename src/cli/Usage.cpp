#include "cli/Usage.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corvantis::cli {

namespace {

void print(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// The carriage return that joins a message's sentences in the window is a
// blank on a terminal.
QString named(const QString &text) {
    return QCoreApplication::applicationName() + QStringLiteral(": ") +
           QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')) + QLatin1Char('\n');
}

} // namespace

int PrintOut(const QString &text) {
    print(stdout, text);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Failed(QStringLiteral("cannot write to standard output: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return 0;
}

int Failed(const QString &why) {
    print(stderr, named(why));
    return 1;
}

int UsageError(const QString &why) {
    print(stderr, named(why) + QStringLiteral("Try '%1 --help' for more information.\n")
                                   .arg(QCoreApplication::applicationName()));
    return 2;
}

} // namespace corvantis::cli
