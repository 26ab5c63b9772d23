#pragma once

#include "data/MainModule.h"

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <random>

namespace corvantis::test {

// Random bytes of the given size, the same for the same seed.
inline QByteArray randomImage(qint64 size, quint32 seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray image(size, '\0');
    for (char &b : image)
        b = char(byte(rng));
    return image;
}

// A file by its bytes, whatever its name; empty when it cannot be read.
inline QByteArray contents(const QByteArray &name) {
    std::ifstream in(name.constData(), std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}
inline QByteArray readWhole(const QString &path) {
    return contents(QFile::encodeName(path));
}

inline bool writeWhole(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A scratch folder holding image files for one test.
class ImageFolder {
  public:
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Writes bytes into a new file of that name and returns its path.
    QString add(const QString &name, const QByteArray &bytes) const {
        return writeWhole(path(name), bytes) ? path(name) : QString();
    }

  private:
    QTemporaryDir dir_;
};

// Puts bytes 1..7 of a slot's record into an image (byte 8 is left alone).
inline void setRecord(QByteArray &image, int slot, std::initializer_list<int> values) {
    qsizetype at = SpellTableOffset + slot * RecordSize;
    for (int v : values)
        image[at++] = char(v);
}

// Puts a slot's four name bytes and the terminator into an image.
inline void setName(QByteArray &image, int slot, const QByteArray &fourBytes) {
    image.replace(NameTableOffset + slot * NameRecordSize, NameRecordSize,
                  fourBytes.left(NameLength) + '\0');
}

// A store holding an image's tables.
inline MainModule storeOf(const QByteArray &image) {
    MainModule store;
    store.setRecords(RecordsOf(TablesOf(image)));
    return store;
}

// The image as Save would write the store into it.
inline QByteArray asSaved(QByteArray image, const MainModule &store) {
    PutRegions(image, RegionsOf(store.records()));
    return image;
}

// A random image of 256 KiB + 16 bytes in which no slot is special and every
// name is a plain "AAAA".
inline QByteArray plainImage(quint32 seed = 1) {
    QByteArray image = randomImage(256 * 1024 + 16, seed);
    for (int slot = 0; slot < SlotCount; ++slot) {
        // Valid everywhere: First Byte 0x18, Damage, number case.
        setRecord(image, slot, {0x18, 0, 0, 1, 1, 176, 32});
        setName(image, slot, QByteArray(4, char(0x8A)));
    }
    return image;
}

} // namespace corvantis::test
