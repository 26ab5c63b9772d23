#pragma once

#include "data/MainModule.h"
#include "document/Outcome.h"
#include "exchange/Compare.h"
#include "exchange/Patch.h"
#include "exchange/SpellExport.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QUndoStack>

#include <array>
#include <bitset>
#include <functional>

class QVariant;

namespace corvantis {

using SlotRecords = QList<QPair<int, SpellRecord>>;

// The session: the one owner of the open image. It holds the file as the
// kernel resolved it at Open, whether it was opened read-only, the spells
// with their history and change marks; it opens, saves, imports, exports and
// makes patches, with the same checks and the same reasons for the window
// and for the command line, which only ask their user (Asker) and report.
//
// Every accepted edit is one undo step. The marks follow the history: the
// file is changed while the history is away from its clean state (the last
// Open or Save), a slot while some step between there and here changes it.
// Views only listen: slotChanged after any change of a slot's data,
// marksChanged after any change of the marks, reloaded after an Open.
class SpellDocument : public QObject {
    Q_OBJECT

  public:
    explicit SpellDocument(QObject *parent = nullptr);
    ~SpellDocument() override;

    // ---- the open image

    // Reads the image's tables. On success they replace everything: no
    // history, nothing changed. A failed Open keeps what was open.
    Outcome open(const QString &path, bool readOnly, Asker &asker);
    bool isOpen() const { return store_.Image().isValid(); }
    // The open image as the kernel resolved it at Open.
    const QString &path() const { return store_.ImagePath(); }
    bool readOnly() const { return store_.ReadOnlyROM; }
    bool fileChanged() const { return store_.FileChanged; }
    bool spellChanged(int slot) const { return store_.SpellChanged[size_t(slot)]; }

    const MainModule &store() const { return store_; }
    SpellRecord record(int slot) const { return store_.record(slot); }
    // The slot as last opened or saved.
    SpellRecord savedRecord(int slot) const { return saved_[size_t(slot)]; }
    QUndoStack *undoStack() { return &stack_; }

    // ---- saving

    // Writes the tables into the open image, once nobody else has changed
    // them since they were read (else the question decides). Refused on an
    // image opened read-only.
    Outcome save(Asker &asker);

    // Save As: the whole image copied to path with the tables written in,
    // through the one safe writer; path then is the open image, writable,
    // nothing changed. path naming the open image itself saves it as Save
    // does (refused when it was opened read-only).
    Outcome saveAs(const QString &path, Asker &asker);
    // The same copy, but the open image stays the open one (an output beside
    // it); refused when path is the open image.
    Outcome saveCopy(const QString &path, Asker &asker) const;

    // Test seams of the file layer for saves (see SaveHooks).
    SaveHooks &saveHooks() { return store_.hooks; }

    // ---- the change guard

    enum class Guard { Allowed, AskSpecial, ReadOnly };
    // Whether an edit of a slot may go ahead: a record edit of a special slot
    // asks first; otherwise an image opened read-only refuses every edit.
    Guard guard(int slot, bool isNameChange) const;

    // ---- edits

    // Edits the face has already let through the guard. Typing into one box
    // is one step (typed: digits of one number, characters of one name)
    // until the slot changes (endTyping); every other edit is a step of its
    // own.
    void setByte(int slot, int n, quint8 value, bool typed = false);
    void setName(int slot, const QByteArray &name, bool typed = true);
    void endTyping() { ++typingRun_; }

    // Whole records of one or more slots as one step named text, through the
    // guard: refused on a read-only image; where a special slot's record
    // would change, asked (one slot: Yes/No; several: Yes all, No all but
    // the special ones, Cancel none). taken (if given) lists the slots that
    // changed.
    Outcome change(const SlotRecords &records, const QString &text, Asker &asker,
                   QList<int> *taken = nullptr);
    // The same with the step's name made from the number of slots taken.
    Outcome change(const SlotRecords &records, const std::function<QString(int)> &text,
                   Asker &asker, QList<int> *taken = nullptr);

    // A field of a slot set as a table cell sets it: value is a list's
    // choice index, or the typed text of a name, a number or First Byte (n is
    // 0 for the name). Through the guard, as the window's own fields.
    Outcome editField(int slot, int n, const QVariant &value, Asker &asker);

    // ---- exchange

    // What a spell file would change: the slots whose data differ (special:
    // those of them whose record changes although their First Byte is FF),
    // or why it cannot be read.
    struct ImportPlan {
        QString file;
        SlotRecords records;
        QList<int> special;
        QString error;
    };
    ImportPlan planImport(const QString &file) const;
    // The same from a spell file's bytes; file names it in messages.
    ImportPlan planImport(const QByteArray &json, const QString &file) const;
    Outcome applyImport(const ImportPlan &plan, Asker &asker, QList<int> *taken = nullptr);

    // The spells that differ from another image, from the open image with
    // a patch applied (in memory: nothing is written), or from a spell file,
    // with what else is to be said; or why there is nothing to compare.
    // file (if given) receives the bytes read.
    Comparison compareWith(const QString &path, QByteArray *file = nullptr) const;
    // The same with the other file's bytes already read (name: what the
    // count calls it), so that a comparison can follow the open image's
    // edits without reading the file again. A patch is applied to the open
    // image as saved now.
    Comparison compareWith(const QByteArray &file, const QString &name) const;
    // Makes the chosen slots hold their spells of the comparison (the seven
    // record bytes and the name) as one step, "Take of 3 spells from
    // mod.bps", through the guard as change() does.
    Outcome take(const Comparison &comparison, const QList<int> &chosen, Asker &asker,
                 QList<int> *taken = nullptr);

    // Writes the spells as JSON or CSV. Refused when path is the open image.
    Outcome exportTo(const QString &path, ExportFormat format) const;

    // Writes a patch from the original image to the open image as Save would
    // write it now (unsaved edits included). Refused when path is the open
    // image or the original. written is the path written, which may end in
    // .bps where the question turned an IPS patch into one.
    Outcome createPatch(const QString &original, const QString &path, PatchFormat format,
                        Asker &asker, QString *written = nullptr) const;

    // ---- copy and paste

    // Spells of slots (in that order) as the clipboard carries them: the
    // export's JSON and tab-separated text with the CSV's columns. With field
    // (0 the name, else a byte number) only that field: its JSON, and the
    // texts the fields show, one a line, as a spreadsheet copies cells.
    struct Copied {
        QByteArray json;
        QString text;
    };
    Copied copy(const QList<int> &chosen, int field = -1) const;

    // Pasted text onto slots, as one step through the guard (change): spells
    // (JSON or tab-separated text, see HoldsSpells); else, with field, values
    // of that field, one a line, as its cells show them. One spell or value
    // fills every slot; n go onto n slots in order, or onto the n slots from
    // a single one on.
    Outcome paste(const QString &text, const QList<int> &chosen, int field, Asker &asker);

  signals:
    void slotChanged(int slot);
    void marksChanged();
    void reloaded();
    // After a Save As: the open image is another file.
    void pathChanged();

  private:
    friend class RecordCommand;
    void apply(int slot, const SpellRecord &r);
    void push(const SlotRecords &records, const QString &text, int id);
    void updateMarks();
    void cleanHere();
    // The reason an output path cannot be written over, or empty.
    QString inputReason(const QString &path, const QString &other = {}) const;
    // Writes the copy of Save As; saved then describes it.
    Outcome writeCopy(const QString &path, Asker &asker, ImageIdentity &saved) const;
    // The records of slots after a field is set to one of values each.
    Outcome fieldValues(int field, const QStringList &values, const QList<int> &chosen,
                        SlotRecords &records) const;
    // The open image's bytes as Save would write them now.
    bool imageAsSaved(QByteArray &image, QString &reason) const;

    MainModule store_;
    QUndoStack stack_;
    std::array<SpellRecord, SlotCount> saved_{};
    int typingRun_ = 0;
    // Slots that differ from the file although no step in the history says
    // so: the clean state was undone and then left behind by a new edit.
    std::bitset<SlotCount> lostClean_;
    int lostAt_ = 0;
};

} // namespace corvantis
