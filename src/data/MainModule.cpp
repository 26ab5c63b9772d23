#include "data/MainModule.h"

namespace corvantis {

SpellRecord MainModule::record(int slot) const {
    SpellRecord r;
    r.bytes = bytes_[size_t(slot)];
    r.name = SpellNames[size_t(slot)];
    return r;
}

void MainModule::setRecord(int slot, const SpellRecord &r) {
    bytes_[size_t(slot)] = r.bytes;
    SpellNames[size_t(slot)] = r.name;
}

SpellRecords MainModule::records() const {
    SpellRecords all;
    for (int slot = 0; slot < SlotCount; ++slot)
        all[size_t(slot)] = record(slot);
    return all;
}

void MainModule::setRecords(const SpellRecords &records) {
    for (int slot = 0; slot < SlotCount; ++slot)
        setRecord(slot, records[size_t(slot)]);
}

bool MainModule::ReadSpells(const QString &path, QString *reason) {
    ImageIdentity found;
    QString why;
    if (!ReadImage(path, found, why)) {
        if (reason)
            *reason = why;
        return false;
    }
    Load(found);
    return true;
}

void MainModule::Load(const ImageIdentity &image) {
    // Both tables are whole: only now does the store change.
    setRecords(RecordsOf(image.tables));
    image_ = image;
}

bool MainModule::WriteSpells(const QString &path, QString *reason, bool replaceChanges,
                             QString *warning) {
    ImageIdentity saved;
    QString why;
    const bool ok = WriteImage(path, RegionsOf(records()), replaceChanges ? nullptr : &image_,
                               hooks, saved, why, warning);
    // Once the file holds these tables they are what the next save compares
    // with, even when the very last step failed.
    if (saved.isValid())
        image_ = saved;
    if (reason)
        *reason = why;
    return ok;
}

} // namespace corvantis
