#include "support/ImageFixture.h"

#include <QFile>

namespace corvantis::test {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

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

#include "data/MainModule.h"

namespace corvantis::test {

void setRecord(QByteArray &image, int slot, std::initializer_list<int> bytes) {
    qint64 at = SpellTableOffset + qint64(slot) * RecordSize;
    for (int b : bytes)
        image[at++] = char(b);
}

void setName(QByteArray &image, int slot, const QByteArray &fourBytes) {
    QByteArray record = fourBytes.left(NameLength);
    record.append(char(0));
    image.replace(NameTableOffset + qint64(slot) * NameRecordSize, NameRecordSize, record);
}

QByteArray plainImage(quint32 seed) {
    QByteArray image = randomImage(256 * 1024 + 16, seed);
    for (int slot = 0; slot < SlotCount; ++slot) {
        // Valid everywhere: First Byte 0x18, Damage, number case.
        setRecord(image, slot, {0x18, 0, 0, 1, 1, 176, 32});
        setName(image, slot, QByteArray(4, char(0x8A)));
    }
    return image;
}

} // namespace corvantis::test
