// The session's file commands: open, save, import, export, patch.
#include "document/Reasons.h"
#include "document/SpellDocument.h"
#include "exchange/SpellImport.h"

#include <QFileInfo>

namespace corvantis {

namespace {

// A spell file or a patch's original is read whole; none comes near this.
constexpr qint64 InputLimit = MaximumImageSize;

QString named(const QString &path, const QString &why) {
    return QStringLiteral("%1: %2").arg(path, why);
}

} // namespace

Outcome SpellDocument::open(const QString &path, bool readOnly, Asker &asker) {
    ImageIdentity found;
    QString why;
    if (!ReadImage(path, found, why))
        return Outcome::failed(why);
    const InterruptedSave interrupted = FindInterruptedSave(found);
    if (interrupted.isValid()) {
        switch (asker.ask(Question::RestoreInterruptedSave, interrupted.backup)) {
        case Reply::Yes:
            if (!RestoreInterruptedSave(interrupted, found, why) ||
                !ReadImage(found.path, found, why))
                return Outcome::failed(why);
            break;
        case Reply::No: // opened as it is; the copy and its journal stay
            break;
        case Reply::Cancel:
            return {Outcome::Cancelled,
                    QStringLiteral("The last save of %1 was interrupted; the copy made before "
                                   "it is kept at %2.")
                        .arg(found.path, interrupted.backup),
                    {}};
        }
    }
    store_.Load(found);
    store_.ReadOnlyROM = readOnly;
    stack_.clear();
    cleanHere();
    emit reloaded();
    return Outcome::done();
}

Outcome SpellDocument::save(Asker &asker) {
    if (!isOpen())
        return Outcome::refused(reasons::NoImage);
    // The user asked for this image not to be changed: saving would change it.
    if (store_.ReadOnlyROM)
        return Outcome::guarded(reasons::ReadOnlyImage);
    // Another program's change is replaced only when the user says so.
    const bool replace = store_.ChangedOnDisk();
    if (replace && asker.ask(Question::ReplaceOutsideChanges, {}) != Reply::Yes)
        return {Outcome::Cancelled, reasons::ChangedByOther, {}};
    QString why, warning;
    if (!store_.WriteSpells(path(), &why, replace, &warning))
        return Outcome::failed(why);
    cleanHere();
    return Outcome::done(warning);
}

Outcome SpellDocument::writeCopy(const QString &path, Asker &asker, ImageIdentity &saved) const {
    if (!isOpen())
        return Outcome::refused(reasons::NoImage);
    // The copy takes the rest of the image from the file as it is now; where
    // another program changed its tables, the copy gets ours only if the
    // user says so.
    ImageIdentity source = store_.Image();
    QString why, warning;
    if (store_.ChangedOnDisk()) {
        if (asker.ask(Question::ReplaceOutsideChanges, {}) != Reply::Yes)
            return {Outcome::Cancelled, reasons::ChangedByOther, {}};
        if (!ReadImage(source.path, source, why))
            return Outcome::failed(named(source.path, why));
    }
    if (!CopyImage(source, path, RegionsOf(store_.records()), store_.hooks, saved, why, &warning))
        return Outcome::failed(named(path, why));
    return Outcome::done(warning);
}

Outcome SpellDocument::saveCopy(const QString &path, Asker &asker) const {
    const QString refused = inputReason(path);
    if (!refused.isEmpty())
        return Outcome::refused(refused);
    ImageIdentity saved;
    return writeCopy(path, asker, saved);
}

Outcome SpellDocument::saveAs(const QString &path, Asker &asker) {
    if (!inputReason(path).isEmpty())
        return save(asker);
    ImageIdentity saved;
    const Outcome copied = writeCopy(path, asker, saved);
    if (!copied.ok())
        return copied;
    // The new file is the open image from now on; the spells stay exactly
    // as they are (a name keeps its own bytes, not the padded ones).
    const SpellRecords mine = store_.records();
    store_.Load(saved);
    store_.setRecords(mine);
    store_.ReadOnlyROM = false;
    cleanHere();
    emit pathChanged();
    return copied;
}

QString SpellDocument::inputReason(const QString &path, const QString &other) const {
    const FileId target = IdentityOf(path);
    if (isOpen() && (target == IdentityOf(store_.Image()) || target == IdentityOf(this->path())))
        return reasons::IsTheImage(path);
    if (!other.isEmpty() && target == IdentityOf(other))
        return reasons::IsTheOriginal(path);
    return {};
}

SpellDocument::ImportPlan SpellDocument::planImport(const QString &file) const {
    QByteArray json;
    QString why;
    if (!ReadFile(file, InputLimit, json, why))
        return {file, {}, {}, named(file, QStringLiteral("cannot read it: ") + why)};
    return planImport(json, file);
}

SpellDocument::ImportPlan SpellDocument::planImport(const QByteArray &json,
                                                    const QString &file) const {
    ImportPlan plan{file, {}, {}, {}};
    const SpellImport parsed = ParseSpellsJson(json, file);
    if (!parsed.ok()) {
        plan.error = parsed.error;
        return plan;
    }
    MainModule after = store_;
    for (const SpellChange &change : parsed.changes)
        ApplyChange(after, change);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const SpellRecord r = after.record(slot);
        if (PaddedName(r.name) == PaddedName(record(slot).name) && r.bytes == record(slot).bytes)
            continue;
        plan.records.append({slot, r});
        if (r.bytes != record(slot).bytes && store_.IsSpecial(slot))
            plan.special.append(slot);
    }
    return plan;
}

Outcome SpellDocument::applyImport(const ImportPlan &plan, Asker &asker, QList<int> *taken) {
    if (!plan.error.isEmpty())
        return Outcome::failed(plan.error);
    const QString name = QFileInfo(plan.file).fileName();
    return change(
        plan.records,
        [&](int count) { return reasons::StepFrom(QStringLiteral("Import"), count, name); }, asker,
        taken);
}

Comparison SpellDocument::compareWith(const QString &path, QByteArray *file) const {
    QByteArray read;
    QString why;
    // A patch may be larger than the image it makes, not more than twice.
    if (!ReadFile(path, 2 * MaximumImageSize, read, why))
        return Comparison::failed(QFileInfo(path).fileName(),
                                  named(path, QStringLiteral("cannot read it: ") + why));
    if (file)
        *file = read;
    return compareWith(read, QFileInfo(path).fileName());
}

Comparison SpellDocument::compareWith(const QByteArray &file, const QString &name) const {
    QByteArray saved;
    QString why;
    if (IsPatchFile(name, file) && !ReadFile(path(), MaximumImageSize, saved, why))
        return Comparison::failed(name, named(path(), why));
    return CompareWithFile(file, name, store_, saved);
}

Outcome SpellDocument::take(const Comparison &comparison, const QList<int> &chosen, Asker &asker,
                            QList<int> *taken) {
    if (!comparison.ok())
        return Outcome::failed(comparison.error);
    SlotRecords records;
    for (const SpellChange &c :
         SpellsToTake(comparison.theirs, std::vector<int>(chosen.begin(), chosen.end()))) {
        SpellRecord r = record(c.slot);
        for (int n = 1; n <= FieldCount; ++n)
            r.bytes[size_t(n - 1)] = *c.bytes[size_t(n - 1)];
        r.name = *c.name;
        records.append({c.slot, r});
    }
    return change(
        records,
        [&](int count) {
            return reasons::StepFrom(QStringLiteral("Take"), count, comparison.name);
        },
        asker, taken);
}

Outcome SpellDocument::exportTo(const QString &path, ExportFormat format) const {
    const QString refused = inputReason(path);
    if (!refused.isEmpty())
        return Outcome::refused(refused);
    QString why, warning;
    if (!WriteFile(path, ExportSpells(format, store_), why, &warning))
        return Outcome::failed(named(path, why));
    return Outcome::done(warning);
}

bool SpellDocument::imageAsSaved(QByteArray &image, QString &reason) const {
    if (!ReadFile(path(), MaximumImageSize, image, reason)) {
        reason = named(path(), reason);
        return false;
    }
    if (!PutRegions(image, RegionsOf(store_.records()))) {
        reason = named(path(), QStringLiteral("The file no longer holds the spell tables."));
        return false;
    }
    return true;
}

Outcome SpellDocument::createPatch(const QString &original, const QString &path, PatchFormat format,
                                   Asker &asker, QString *written) const {
    if (!isOpen())
        return Outcome::refused(reasons::NoImage);
    QString target = path, why, warning;
    QString refused = inputReason(path, original);
    if (!refused.isEmpty())
        return Outcome::refused(refused);
    QByteArray source, image;
    if (!ReadFile(original, InputLimit, source, why))
        return Outcome::failed(named(original, why));
    if (!imageAsSaved(image, why))
        return Outcome::failed(why);
    std::optional<QByteArray> patch = MakePatch(format, source, image, &why);
    if (!patch && format == PatchFormat::Ips) {
        // Only size stops an IPS patch; a BPS one has no such limit.
        if (asker.ask(Question::PatchAsBps, why) != Reply::Yes)
            return {Outcome::Cancelled, why, {}};
        target = QFileInfo(path).suffix().isEmpty() ? path : path.chopped(4);
        target += QStringLiteral(".bps");
        patch = MakePatch(PatchFormat::Bps, source, image, &why);
        refused = inputReason(target, original);
        if (!refused.isEmpty())
            return Outcome::refused(refused);
    }
    if (!WriteFile(target, *patch, why, &warning))
        return Outcome::failed(named(target, why));
    if (written)
        *written = target;
    return Outcome::done(warning);
}

} // namespace corvantis
