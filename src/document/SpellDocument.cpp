#include "document/SpellDocument.h"

#include "data/NameCodec.h"
#include "document/Reasons.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"

#include <QUndoCommand>
#include <QVariant>

namespace corvantis {

namespace {

// Ids for merging typed edits: one per field of a slot, the name as field 0.
int mergeId(int slot, int field) {
    return slot * 8 + field;
}

} // namespace

// One step: records of one or more slots, before and after.
class RecordCommand : public QUndoCommand {
  public:
    RecordCommand(SpellDocument *doc, SlotRecords after, const QString &text, int id)
        : QUndoCommand(text), doc_(doc), after_(std::move(after)), id_(id), run_(doc->typingRun_) {
        for (const auto &[slot, r] : after_)
            before_.append({slot, doc->record(slot)});
    }

    void redo() override { put(after_); }
    void undo() override { put(before_); }
    int id() const override { return id_; }
    bool mergeWith(const QUndoCommand *other) override {
        // Typing on in the same box of the same slot.
        const auto *next = static_cast<const RecordCommand *>(other);
        if (next->run_ != run_)
            return false;
        after_ = next->after_;
        return true;
    }

    // The slots this step changes.
    const SlotRecords &records() const { return after_; }

  private:
    void put(const SlotRecords &records) {
        for (const auto &[slot, r] : records)
            doc_->apply(slot, r);
    }

    SpellDocument *doc_;
    SlotRecords before_, after_;
    int id_;
    int run_;
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

void SpellDocument::apply(int slot, const SpellRecord &r) {
    store_.setRecord(slot, r);
    emit slotChanged(slot);
}

SpellDocument::Guard SpellDocument::guard(int slot, bool isNameChange) const {
    if (!isNameChange && store_.IsSpecial(slot))
        return Guard::AskSpecial;
    return store_.ReadOnlyROM ? Guard::ReadOnly : Guard::Allowed;
}

void SpellDocument::setByte(int slot, int n, quint8 value, bool typed) {
    SpellRecord r = record(slot);
    r.bytes[size_t(n - 1)] = value;
    push({{slot, r}}, FieldCaption(n) + QStringLiteral(" of ") + SlotLabels().at(slot),
         typed ? mergeId(slot, n) : -1);
}

void SpellDocument::setName(int slot, const QByteArray &name, bool typed) {
    SpellRecord r = record(slot);
    r.name = name;
    push({{slot, r}}, QStringLiteral("Name of ") + SlotLabels().at(slot),
         typed ? mergeId(slot, 0) : -1);
}

Outcome SpellDocument::change(const SlotRecords &records, const QString &text, Asker &asker,
                              QList<int> *taken) {
    return change(
        records, [&](int) { return text; }, asker, taken);
}

Outcome SpellDocument::change(const SlotRecords &records, const std::function<QString(int)> &text,
                              Asker &asker, QList<int> *taken) {
    SlotRecords changing, special;
    for (const auto &[slot, r] : records) {
        const SpellRecord now = record(slot);
        if (r == now)
            continue;
        changing.append({slot, r});
        if (r.bytes != now.bytes && store_.IsSpecial(slot))
            special.append({slot, r});
    }
    if (changing.isEmpty())
        return Outcome::done();
    if (store_.ReadOnlyROM)
        return Outcome::guarded(reasons::ReadOnlyImage);
    if (!special.isEmpty()) {
        const bool one = changing.size() == 1;
        const Reply reply =
            asker.ask(one ? Question::ChangeSpecialSlot : Question::ChangeSpecialSlots, {});
        if (reply == Reply::Cancel || (one && reply != Reply::Yes))
            return Outcome::cancelled();
        if (reply == Reply::No)
            for (const auto &s : special)
                changing.removeOne(s);
    }
    if (!changing.isEmpty())
        push(changing, text(int(changing.size())), -1);
    if (taken)
        for (const auto &c : changing)
            taken->append(c.first);
    return Outcome::done();
}

Outcome SpellDocument::editField(int slot, int n, const QVariant &value, Asker &asker) {
    const SpellRecord was = record(slot);
    SpellRecord r = was;
    if (n == 0) {
        // As the name box keeps it: the last four characters, encoded.
        r.name = EncodeName(value.toString().right(NameLength));
    } else {
        const int effect = DecodeField(5, r.byte(5)).index;
        const bool typed = value.typeId() == QMetaType::QString;
        std::optional<quint8> v = typed ? EncodeField(n, value.toString(), effect)
                                        : EncodeField(n, value.toInt(), effect);
        if (!v) {
            if (typed)
                return Outcome::guarded(reasons::OutOfRange);
            // "Invalid Value" over a valid byte picks the list's first item,
            // as the window's lists do; over an invalid one it changes nothing.
            if (!IsValidValue(n, r.byte(n), effect))
                return Outcome::done();
            v = EncodeField(n, 0, effect);
        }
        r.bytes[size_t(n - 1)] = *v;
    }
    if (r == was)
        return Outcome::done();
    switch (guard(slot, n == 0)) {
    case Guard::ReadOnly:
        return Outcome::guarded(reasons::ReadOnlyImage);
    case Guard::AskSpecial:
        if (asker.ask(Question::ChangeSpecialSlot, {}) != Reply::Yes)
            return Outcome::cancelled();
        break;
    case Guard::Allowed:
        break;
    }
    if (n == 0)
        setName(slot, r.name, false);
    else
        setByte(slot, n, r.byte(n));
    return Outcome::done();
}

void SpellDocument::push(const SlotRecords &records, const QString &text, int id) {
    // A step that makes the clean state unreachable (it was undone, and this
    // step replaces the steps after here) leaves here as the point to compare
    // with, together with what differs from the file at this point.
    const int clean = stack_.cleanIndex(), here = stack_.index();
    if (clean > here || (clean < 0 && lostAt_ > here)) {
        for (int slot = 0; slot < SlotCount; ++slot)
            lostClean_[size_t(slot)] = store_.SpellChanged[size_t(slot)];
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
            changed[size_t(slot)] = true;
    bool any = store_.FileChanged != !stack_.isClean();
    store_.FileChanged = !stack_.isClean();
    for (int slot = 0; slot < SlotCount; ++slot) {
        any = any || store_.SpellChanged[size_t(slot)] != changed[size_t(slot)];
        store_.SpellChanged[size_t(slot)] = changed[size_t(slot)];
    }
    if (any)
        emit marksChanged();
}

void SpellDocument::cleanHere() {
    for (int slot = 0; slot < SlotCount; ++slot)
        saved_[size_t(slot)] = record(slot);
    lostClean_.reset();
    lostAt_ = 0;
    stack_.setClean();
    updateMarks();
}

} // namespace corvantis
