#include "exchange/Files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvantis {

namespace {

void say(QString *why, const QString &text) {
    if (why)
        *why = text;
}

} // namespace

std::optional<QByteArray> ReadWholeFile(const QString &path, QString *why) {
    const QFileInfo info(path);
    if (!info.exists()) {
        say(why, QStringLiteral("no such file"));
        return std::nullopt;
    }
    if (!info.isFile()) {
        say(why, info.isDir() ? QStringLiteral("it is a folder, not a file")
                              : QStringLiteral("it is not a regular file"));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(why, file.errorString());
        return std::nullopt;
    }
    const qint64 size = file.size();
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != size) {
        say(why, file.error() != QFileDevice::NoError
                     ? file.errorString()
                     : QStringLiteral("the file changed while read"));
        return std::nullopt;
    }
    return bytes;
}

bool SaveWholeFile(const QString &path, const QByteArray &bytes, QString *why) {
    if (QFileInfo(path).isDir()) {
        say(why, QStringLiteral("it is a folder"));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        say(why, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        say(why, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        say(why, file.errorString());
        return false;
    }
    return true;
}

bool SameFile(const QString &a, const QString &b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace corvantis
