#include "support/ImageFixture.h"

#include <QFile>

namespace corvantis::test {

QByteArray randomImage(qint64 size, quint32 seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray image(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        image[i] = char(byte(rng));
    return image;
}

QByteArray readWhole(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeWhole(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

ImageFolder::ImageFolder() = default;

QString ImageFolder::add(const QString &name, const QByteArray &bytes) const {
    const QString p = path(name);
    return writeWhole(p, bytes) ? p : QString();
}

} // namespace corvantis::test
