// Loading and saving on files of any length and content. The fuzz input is a
// short description of the file rather than the file itself (an image that
// holds both tables is some 197 KB), so that short inputs reach both the
// loading and the failing paths:
//
//   byte 0       where: bits 0-1 pick the length rule, bits 2-4 the kind of
//                path (mostly a regular file; sometimes a folder or a missing
//                file), bits 5-7 a failing chunk write when below 4
//   bytes 1-2    the length, read by the rule
//   byte 3       seed of the bytes outside the tables
//   byte 4       m, then m edits of three bytes: slot, what, value
//   the rest     poured, over and over, into the record table and then the
//                name table
//
// Properties: a load that fails leaves the store as it was and a save then
// fails too, leaving the file alone; a load that succeeds holds the file's
// tables; a save keeps the length and every byte outside the two tables (and
// each record's eighth byte), and a load of the saved file gives back the
// edited store; a save whose write fails leaves the file as it was.

#include "FuzzCheck.h"
#include "data/MainModule.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

using namespace corvantis;

namespace {

class Input {
  public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    // Past the end every byte reads as 0.
    quint8 byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    quint16 word() {
        const quint16 low = byte();
        return quint16(low | (byte() << 8));
    }
    QByteArray rest() const {
        return QByteArray(reinterpret_cast<const char *>(data_ + pos_), qsizetype(size_ - pos_));
    }

  private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

qint64 lengthFor(int rule, quint16 n) {
    switch (rule) {
    case 0: // either side of the shortest image that holds both tables
        return MinimumImageSize - 1024 + n % 2048;
    case 1: // anything from empty to 256 KiB, mostly too short
        return qint64(n) * 4;
    case 2: // the usual cartridge size
        return 256 * 1024 + 16;
    default: // longer, over several copy chunks
        return MinimumImageSize + qint64(n) * 2;
    }
}

QByteArray makeImage(qint64 length, quint8 seed, const QByteArray &tables) {
    // A block of a prime length, repeated, so that the tables never line up
    // with it; filled by copies to keep each run fast.
    constexpr qint64 Block = 4093;
    QByteArray block(Block, '\0');
    quint32 x = 0x9E3779B9u ^ seed;
    for (char &b : block) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = char(x);
    }
    QByteArray image;
    image.reserve(length);
    while (image.size() < length)
        image.append(block.constData(), qsizetype(std::min(Block, length - image.size())));
    if (!tables.isEmpty()) {
        char *out = image.data();
        qint64 k = 0;
        for (const auto &[offset, size] : {std::pair{SpellTableOffset, SpellTableSize},
                                           std::pair{NameTableOffset, NameTableSize}})
            for (qint64 i = offset; i < offset + size && i < length; ++i)
                out[i] = tables[k++ % tables.size()];
    }
    return image;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool sameStore(const MainModule &a, const MainModule &b) {
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            if (a.SpellBytes(slot, n) != b.SpellBytes(slot, n))
                return false;
        if (a.SpellNames[slot] != b.SpellNames[slot] ||
            a.SpellChanged[slot] != b.SpellChanged[slot])
            return false;
    }
    return a.FileChanged == b.FileChanged && a.ReadOnlyROM == b.ReadOnlyROM;
}

// A store that no file could have produced, to see whether a failed load
// touched it.
void fillWithMarks(MainModule &store, quint8 seed) {
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            store.SpellBytes(slot, n) = quint8(seed + slot * 7 + n);
        store.SpellNames[slot] = QByteArrayLiteral("not loaded");
        store.SpellChanged[slot] = slot % 3 == 0;
    }
    store.FileChanged = true;
    store.ReadOnlyROM = seed % 2 == 1;
}

// What a name record holds once saved: four bytes, padded, and the terminator.
QByteArray savedName(const QByteArray &name) {
    QByteArray record = name.left(NameLength);
    record.append(NameLength - record.size(), char(NameFiller));
    record.append(char(NameTerminator));
    return record;
}

const QTemporaryDir &scratch() {
    static const QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FUZZ_CHECK(scratch().isValid());
    Input in(data, size);
    const quint8 where = in.byte();
    const qint64 length = lengthFor(where & 3, in.word());
    const int kind = (where >> 2) & 7;
    const int failingChunk = where >> 5; // 0..3 fail that chunk; above, no failure
    const quint8 seed = in.byte();
    struct Edit {
        quint8 slot, what, value;
    };
    QList<Edit> edits;
    for (int m = in.byte() % 32; m > 0; --m)
        edits.append(Edit{in.byte(), in.byte(), in.byte()});
    const QByteArray image = makeImage(length, seed, in.rest());

    const QString path = scratch().filePath(QStringLiteral("image.nes"));
    QFile::remove(path);
    QDir(path).removeRecursively();
    const bool isFile = kind < 6;
    if (isFile)
        FUZZ_CHECK(writeFile(path, image));
    else if (kind == 6)
        FUZZ_CHECK(QDir().mkpath(path));
    // kind 7: no file at all

    MainModule store;
    fillWithMarks(store, seed);
    const MainModule before = store;
    const bool loaded = store.ReadSpells(path);
    FUZZ_CHECK(loaded == (isFile && length >= MinimumImageSize));

    if (!loaded) {
        FUZZ_CHECK(sameStore(store, before));
        FUZZ_CHECK(!store.WriteSpells(path));
        if (isFile)
            FUZZ_CHECK(readFile(path) == image);
        else if (kind == 7)
            FUZZ_CHECK(!QFileInfo::exists(path));
        else
            FUZZ_CHECK(QFileInfo(path).isDir());
        return 0;
    }

    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            FUZZ_CHECK(store.SpellBytes(slot, n) ==
                       quint8(image[SpellTableOffset + slot * RecordSize + n - 1]));
        FUZZ_CHECK(store.SpellNames[slot] ==
                   image.mid(NameTableOffset + slot * NameRecordSize, NameLength));
    }

    // Edits as the window makes them, and names of any length.
    for (const Edit &e : edits) {
        const int slot = e.slot % SlotCount;
        const int what = e.what % (FieldCount + 1);
        if (what < FieldCount) {
            store.SpellBytes(slot, what + 1) = e.value;
        } else {
            QByteArray name;
            for (int i = 0; i < e.value % 7; ++i)
                name.append(char(e.value * (i + 3)));
            store.SpellNames[slot] = name;
        }
    }

    if (failingChunk < 4 && failingChunk * 64 * 1024 < length) {
        store.writeChunkHook = [failingChunk](qint64 offset) {
            return offset / (64 * 1024) != failingChunk;
        };
        FUZZ_CHECK(!store.WriteSpells(path));
        FUZZ_CHECK(readFile(path) == image);
        store.writeChunkHook = nullptr;
    }

    FUZZ_CHECK(store.WriteSpells(path));
    const QByteArray saved = readFile(path);
    FUZZ_CHECK(saved.size() == image.size());
    QByteArray expected = image;
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            expected[SpellTableOffset + slot * RecordSize + n - 1] =
                char(store.SpellBytes(slot, n));
        expected.replace(NameTableOffset + slot * NameRecordSize, NameRecordSize,
                         savedName(store.SpellNames[slot]));
    }
    FUZZ_CHECK(expected.size() == image.size());
    FUZZ_CHECK(saved == expected);

    MainModule reloaded;
    FUZZ_CHECK(reloaded.ReadSpells(path));
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            FUZZ_CHECK(reloaded.SpellBytes(slot, n) == store.SpellBytes(slot, n));
        FUZZ_CHECK(reloaded.SpellNames[slot] == savedName(store.SpellNames[slot]).left(NameLength));
    }
    return 0;
}
