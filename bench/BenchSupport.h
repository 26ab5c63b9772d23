#pragma once

// What the benchmarks share: random image bytes, a prompter, writing their
// files, a quiet offscreen platform, and ending on a wrong result.

#include "ui/Prompter.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace corvantis::bench {

// Random bytes of the given size, the same for the same seed.
inline QByteArray randomBytes(qint64 size, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(byte(rng));
    return bytes;
}

// Answers every question with its first button and counts them, so that a
// question where none belongs shows in the figures instead of blocking; a
// file dialog picks next, or is cancelled while next is empty.
class CountingPrompter : public Prompter {
  public:
    Answer ask(QWidget *, const QString &, Buttons buttons, Icon) override {
        ++questions;
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<OpenChoice> chooseImage(QWidget *, const QString &) override {
        return std::nullopt;
    }
    std::optional<FileChoice> chooseFile(QWidget *, const QString &, const QStringList &, bool,
                                         const QString &) override {
        if (next.isEmpty())
            return std::nullopt;
        return FileChoice{next, 0};
    }
    QString next;
    int questions = 0;
};

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The offscreen platform says of each window that it cannot raise it or pass
// its size hints on; nothing here needs either.
inline QtMessageHandler &defaultHandler() {
    static QtMessageHandler handler = nullptr;
    return handler;
}
inline void quietOffscreen(QtMsgType type, const QMessageLogContext &context,
                           const QString &message) {
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        defaultHandler()(type, context, message);
}
inline void installQuietOffscreen() {
    defaultHandler() = qInstallMessageHandler(quietOffscreen);
}

[[noreturn]] inline void fail(const char *what) {
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(1);
}

} // namespace corvantis::bench
