#include "document/SpellDocument.h"

#include "fields/FieldLists.h"

#include <QUndoCommand>

namespace corvantis {

namespace {

// Ids for merging: one per field of a slot, the name as field 0.
int mergeId(int slot, int field) {
    return slot * 8 + field;
}

} // namespace

// One step: records of one or more slots, before and after.
class RecordCommand : public QUndoCommand {
  public:
    RecordCommand(SpellDocument *doc, QList<QPair<int, SpellRecord>> after, const QString &text,
                  int id)
        : QUndoCommand(text), doc_(doc), after_(std::move(after)), id_(id) {
        for (const auto &[slot, r] : after_)
            before_.append({slot, doc->record(slot)});
    }

    void redo() override { put(after_); }
    void undo() override { put(before_); }
    int id() const override { return id_; }
    bool mergeWith(const QUndoCommand *other) override {
        // Same field of the same slot, one after the other (typing).
        after_ = static_cast<const RecordCommand *>(other)->after_;
        return true;
    }

    // The slots this step changes.
    const QList<QPair<int, SpellRecord>> &records() const { return after_; }

  private:
    void put(const QList<QPair<int, SpellRecord>> &records) {
        for (const auto &[slot, r] : records)
            doc_->apply(slot, r);
    }

    SpellDocument *doc_;
    QList<QPair<int, SpellRecord>> before_, after_;
    int id_;
};

SpellDocument::SpellDocument(QObject *parent) : QObject(parent) {
    connect(&stack_, &QUndoStack::indexChanged, this, &SpellDocument::updateMarks);
    connect(&stack_, &QUndoStack::cleanChanged, this, &SpellDocument::updateMarks);
}

SpellDocument::~SpellDocument() {
    // The stack clears itself as it goes; nobody is to hear of that.
    stack_.disconnect(this);
    blockSignals(true);
}

SpellRecord SpellDocument::record(int slot) const {
    SpellRecord r;
    for (int n = 1; n <= FieldCount; ++n)
        r.bytes[n - 1] = store_.SpellBytes(slot, n);
    r.name = store_.SpellNames[slot];
    return r;
}

void SpellDocument::apply(int slot, const SpellRecord &r) {
    for (int n = 1; n <= FieldCount; ++n)
        store_.SpellBytes(slot, n) = r.bytes[n - 1];
    store_.SpellNames[slot] = r.name;
    emit slotChanged(slot);
}

void SpellDocument::setByte(int slot, int n, quint8 value) {
    SpellRecord r = record(slot);
    r.bytes[n - 1] = value;
    push({{slot, r}}, FieldCaption(n) + QStringLiteral(" of ") + SlotLabels().at(slot),
         mergeId(slot, n));
}

void SpellDocument::setName(int slot, const QByteArray &name) {
    SpellRecord r = record(slot);
    r.name = name;
    push({{slot, r}}, QStringLiteral("Name of ") + SlotLabels().at(slot), mergeId(slot, 0));
}

void SpellDocument::setRecords(const QList<QPair<int, SpellRecord>> &records, const QString &text) {
    push(records, text, -1);
}

void SpellDocument::push(const QList<QPair<int, SpellRecord>> &records, const QString &text,
                         int id) {
    // A step that makes the clean state unreachable (it was undone, and this
    // step replaces the steps after here) leaves here as the point to compare
    // with, together with what differs from the file at this point.
    const int clean = stack_.cleanIndex(), here = stack_.index();
    if (clean > here || (clean < 0 && lostAt_ > here)) {
        for (int slot = 0; slot < SlotCount; ++slot)
            lostClean_[slot] = store_.SpellChanged[slot];
        lostAt_ = here;
    }
    stack_.push(new RecordCommand(this, records, text, id));
}

void SpellDocument::updateMarks() {
    const bool lost = stack_.cleanIndex() < 0;
    std::bitset<SlotCount> changed = lost ? lostClean_ : std::bitset<SlotCount>();
    const int base = lost ? lostAt_ : stack_.cleanIndex(), here = stack_.index();
    for (int i = std::min(base, here); i < std::max(base, here); ++i)
        for (const auto &[slot, r] :
             static_cast<const RecordCommand *>(stack_.command(i))->records())
            changed[slot] = true;
    bool any = store_.FileChanged != !stack_.isClean();
    store_.FileChanged = !stack_.isClean();
    for (int slot = 0; slot < SlotCount; ++slot) {
        any = any || store_.SpellChanged[slot] != changed[slot];
        store_.SpellChanged[slot] = changed[slot];
    }
    if (any)
        emit marksChanged();
}

void SpellDocument::loaded() {
    stack_.clear();
    lostClean_.reset();
    lostAt_ = 0;
    for (int slot = 0; slot < SlotCount; ++slot)
        saved_[slot] = record(slot);
    updateMarks();
    emit reloaded();
}

void SpellDocument::saved() {
    for (int slot = 0; slot < SlotCount; ++slot)
        saved_[slot] = record(slot);
    lostClean_.reset();
    lostAt_ = 0;
    stack_.setClean();
    updateMarks();
}

} // namespace corvantis
