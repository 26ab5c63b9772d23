#include "data/MainModule.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace corvantis {

namespace {

// Reads exactly size bytes at offset, or fails.
bool readAt(QFile &file, qint64 offset, qint64 size, QByteArray &out) {
    if (!file.seek(offset))
        return false;
    out = file.read(size);
    return out.size() == size;
}

// Copies the part of a table image that falls into the chunk starting at
// chunkStart; skip tells which table bytes must keep the file's value.
template <typename Skip>
void patch(QByteArray &chunk, qint64 chunkStart, qint64 tableStart, const QByteArray &table,
           Skip skip) {
    const qint64 from = std::max(chunkStart, tableStart);
    const qint64 to = std::min(chunkStart + chunk.size(), tableStart + table.size());
    for (qint64 pos = from; pos < to; ++pos) {
        const qint64 inTable = pos - tableStart;
        if (!skip(inTable))
            chunk[pos - chunkStart] = table[inTable];
    }
}

} // namespace

namespace {

// Only a regular file (or a link to one) is an image: a folder fails, and a
// named pipe or a device would block or never end.
bool isImageFile(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

bool MainModule::ReadSpells(const QString &path) {
    if (!isImageFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() < MinimumImageSize)
        return false;

    QByteArray records, names;
    if (!readAt(file, SpellTableOffset, SpellTableSize, records) ||
        !readAt(file, NameTableOffset, NameTableSize, names))
        return false;

    // Both tables are whole: only now does the store change.
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            SpellBytes(slot, n) = quint8(records[slot * RecordSize + n - 1]);
        SpellNames[slot] = names.mid(slot * NameRecordSize, NameLength);
    }
    return true;
}

bool MainModule::WriteSpells(const QString &path) const {
    if (!isImageFile(path))
        return false;
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = source.size();
    if (size < MinimumImageSize)
        return false;

    // The two tables as they will stand in the file. Record byte 8 is never
    // written; the mask below leaves the file's own value there.
    QByteArray records(SpellTableSize, '\0');
    QByteArray names(NameTableSize, '\0');
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            records[slot * RecordSize + n - 1] = char(SpellBytes(slot, n));
        QByteArray name = SpellNames[slot].left(NameLength);
        name.append(NameLength - name.size(), char(NameFiller));
        name.append(char(NameTerminator));
        names.replace(slot * NameRecordSize, NameRecordSize, name);
    }

    // The copy goes to a temporary file beside the image and replaces it only
    // when complete; QSaveFile keeps the file's permissions and writes through
    // a symbolic link to its target.
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 ChunkSize = 64 * 1024;
    QByteArray chunk;
    for (qint64 offset = 0; offset < size; offset += chunk.size()) {
        chunk = source.read(std::min(ChunkSize, size - offset));
        if (chunk.isEmpty()) {
            target.cancelWriting();
            return false;
        }
        patch(chunk, offset, NameTableOffset, names, [](qint64) { return false; });
        patch(chunk, offset, SpellTableOffset, records,
              [](qint64 inTable) { return inTable % RecordSize == RecordSize - 1; });
        if ((writeChunkHook && !writeChunkHook(offset)) || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return false;
        }
    }
    if (!source.atEnd()) {
        target.cancelWriting();
        return false;
    }
    source.close();
    return target.commit();
}

} // namespace corvantis
