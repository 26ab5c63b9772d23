#include "support/ImageFixture.h"
#include "data/MainModule.h"

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
    for (char &b : image)
        b = char(byte(rng));
    return image;
}

QByteArray readWhole(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeWhole(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void setRecord(QByteArray &image, int slot, std::initializer_list<int> bytes) {
    image.replace(SpellTableOffset + slot * RecordSize, qsizetype(bytes.size()),
                  test::bytes(bytes));
}

void setName(QByteArray &image, int slot, const QByteArray &fourBytes) {
    image.replace(NameTableOffset + slot * NameRecordSize, NameRecordSize,
                  fourBytes.left(NameLength) + '\0');
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
