#pragma once

#include "data/MainModule.h"

#include <QObject>
#include <QUndoStack>

#include <array>
#include <bitset>

namespace corvantis {

// The open image's spells and their history. Every accepted edit is one undo
// step; the change marks of the store follow the history: the file is
// changed while the history is away from its clean state (the last Open or
// Save), a slot while some step between there and here changes it.
//
// Views only listen: slotChanged after any change of a slot's data (an
// edit, an undo, a redo), marksChanged after any change of the marks, and
// reloaded after an Open replaced everything.
class SpellDocument : public QObject {
    Q_OBJECT

  public:
    explicit SpellDocument(QObject *parent = nullptr);
    ~SpellDocument() override;

    const MainModule &store() const { return store_; }
    // For loading and saving only; edits go through the setters below.
    MainModule &module() { return store_; }
    QUndoStack *undoStack() { return &stack_; }

    SpellRecord record(int slot) const;
    // The slot as last loaded or saved.
    SpellRecord savedRecord(int slot) const { return saved_[slot]; }

    void setByte(int slot, int n, quint8 value);
    void setName(int slot, const QByteArray &name);
    // Replaces whole records in one step named text (revert, import).
    void setRecords(const QList<QPair<int, SpellRecord>> &records, const QString &text);

    // After a load: no history, nothing changed.
    void loaded();
    // After a successful save: this state is the clean one.
    void saved();

  signals:
    void slotChanged(int slot);
    void marksChanged();
    void reloaded();

  private:
    friend class RecordCommand;
    void apply(int slot, const SpellRecord &r);
    void push(const QList<QPair<int, SpellRecord>> &records, const QString &text, int id);
    void updateMarks();

    MainModule store_;
    QUndoStack stack_;
    std::array<SpellRecord, SlotCount> saved_{};
    // Slots that differ from the file although no step in the history says
    // so: the clean state was undone and then left behind by a new edit.
    std::bitset<SlotCount> lostClean_;
    int lostAt_ = 0;
};

} // namespace corvantis
