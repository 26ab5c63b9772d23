#include "exchange/ImageTables.h"

namespace corvantis {

bool ReadTables(const QByteArray &image, MainModule &store) {
    if (image.size() < MinimumImageSize)
        return false;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const qint64 record = SpellTableOffset + qint64(slot) * RecordSize;
        for (int n = 1; n <= FieldCount; ++n)
            store.SpellBytes(slot, n) = quint8(image[record + n - 1]);
        store.SpellNames[slot] =
            image.mid(NameTableOffset + qint64(slot) * NameRecordSize, NameLength);
    }
    return true;
}

std::optional<QByteArray> ImageAsSaved(QByteArray image, const MainModule &store) {
    if (image.size() < MinimumImageSize)
        return std::nullopt;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const qint64 record = SpellTableOffset + qint64(slot) * RecordSize;
        for (int n = 1; n <= FieldCount; ++n)
            image[record + n - 1] = char(store.SpellBytes(slot, n));
        const QByteArray name = PaddedName(store.SpellNames[slot]) + char(NameTerminator);
        image.replace(NameTableOffset + qint64(slot) * NameRecordSize, NameRecordSize, name);
    }
    return image;
}

QByteArray PaddedName(const QByteArray &name) {
    QByteArray padded = name.left(NameLength);
    padded.append(NameLength - padded.size(), char(NameFiller));
    return padded;
}

bool IsSpecialSlot(const MainModule &store, int slot) {
    return store.SpellBytes(slot, 1) == SpecialFirstByte;
}

} // namespace corvantis
