#include "data/MainModule.h"

namespace corvantis {

bool MainModule::ReadSpells(const QString &path, QString *reason) {
    ImageIdentity found;
    QString why;
    if (!ReadImage(path, found, why)) {
        if (reason)
            *reason = why;
        return false;
    }

    // Both tables are whole: only now does the store change.
    const char *names = found.tables.constData();
    const char *records = names + NameTableSize;
    for (int slot = 0; slot < SlotCount; ++slot) {
        for (int n = 1; n <= FieldCount; ++n)
            SpellBytes(slot, n) = quint8(records[slot * RecordSize + n - 1]);
        SpellNames[slot] = QByteArray(names + slot * NameRecordSize, NameLength);
    }
    image_ = found;
    return true;
}

void MainModule::patch(QByteArray &image) const {
    for (int slot = 0; slot < SlotCount; ++slot) {
        // Record byte 8 is never written: it keeps the file's value.
        char *record = image.data() + SpellTableOffset + slot * RecordSize;
        for (int n = 1; n <= FieldCount; ++n)
            record[n - 1] = char(SpellBytes(slot, n));
        QByteArray name = SpellNames[slot].left(NameLength);
        name.append(NameLength - name.size(), char(NameFiller));
        name.append(char(NameTerminator));
        image.replace(NameTableOffset + slot * NameRecordSize, NameRecordSize, name);
    }
}

bool MainModule::WriteSpells(const QString &path, QString *reason, bool replaceChanges) {
    const SaveHooks hooks{writeChunkHook, flushHook, createTemporaryHook};
    ImageIdentity saved;
    QString why;
    const bool ok = WriteImage(
        path, [this](QByteArray &image) { patch(image); }, replaceChanges ? nullptr : &image_,
        hooks, saved, why);
    // Once the file holds these tables they are what the next save compares
    // with, even when the very last step failed.
    if (saved.isValid())
        image_ = saved;
    if (reason)
        *reason = why;
    return ok;
}

} // namespace corvantis
