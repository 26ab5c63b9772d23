#include "data/NameCodec.h"
#include "document/Reasons.h"
#include "document/RecentImages.h"
#include "document/SpellDocument.h"
#include "support/ImageFixture.h"
#include "support/Rows.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QUndoStack>
#include <QVariant>

#include <deque>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// Answers the session's questions from a script; a question nobody
// scripted fails the test and is answered Cancel.
struct ScriptedAsker : Asker {
    void expect(Question q, Reply r) { script.push_back({q, r}); }
    Reply ask(Question question, const QString &detail) override {
        details.append(detail);
        if (script.empty() || script.front().first != question)
            return QTest::qFail("unexpected question", __FILE__, __LINE__), Reply::Cancel;
        const Reply r = script.front().second;
        script.pop_front();
        return r;
    }
    std::deque<std::pair<Question, Reply>> script;
    QStringList details;
};

// A session on an image a.nes in a scratch folder of its own.
struct Session {
    explicit Session(const QByteArray &image, bool readOnly = false) {
        QVERIFY(doc.open(folder.add("a.nes", image), readOnly, asker).ok());
    }
    QString path() const { return folder.path("a.nes"); }
    ImageFolder folder;
    ScriptedAsker asker;
    SpellDocument doc;
};

// Slot 1 and slot 3 are special (First Byte FF); the others ordinary.
QByteArray testImage() {
    QByteArray image = plainImage(7);
    for (int slot : {1, 3})
        setRecord(image, slot, {0xFF, 0, 0, 1, 1, 176, 32});
    return image;
}

// Bytes 1..7 in hex and the name as the box shows it.
QString shown(const SpellRecord &r) {
    return QByteArray(reinterpret_cast<const char *>(r.bytes.data()), FieldCount).toHex(' ') + ' ' +
           DecodeName(r.name);
}

struct SeveralCase {
    const char *name;
    QList<int> chosen; // a negative slot: its name only
    bool readOnly;
    std::optional<Question> question;
    Reply reply;
    QList<int> taken;
};
struct FieldCase {
    const char *name;
    int slot, n;
    QVariant value; // a list's index, or typed text
    QString after;  // the slot afterwards
    QString reason;
};
struct PasteCase {
    const char *name;
    QString copied; // "json" or "text": slots 5 and 6 copied; else the text itself
    QList<int> onto;
    int field;
    QStringList after; // each slot of onto afterwards
    QString reason;
};

QString marks(const SpellDocument &doc) {
    QString shown = doc.fileChanged() ? QStringLiteral("file") : QStringLiteral("-");
    for (int slot = 0; slot < SlotCount; ++slot)
        if (doc.spellChanged(slot))
            shown += QStringLiteral(" %1").arg(slot);
    return shown;
}

} // namespace

Q_DECLARE_METATYPE(SeveralCase)
Q_DECLARE_METATYPE(FieldCase)
Q_DECLARE_METATYPE(PasteCase)

class TestDocument : public QObject {
    Q_OBJECT
  private slots:
    // The guard, met by a table cell's edit as by the window's fields: a
    // record edit of a special slot asks first, even on a read-only image;
    // otherwise (a name too) read-only refuses.
    void guard() {
        for (bool readOnly : {false, true}) {
            Session s(testImage(), readOnly);
            QCOMPARE(s.doc.editField(2, 3, 5, s.asker).reason,
                     readOnly ? reasons::ReadOnlyImage : QString());
            s.asker.expect(Question::ChangeSpecialSlot, Reply::No);
            QCOMPARE(s.doc.editField(1, 3, 5, s.asker).status, Outcome::Cancelled);
            QCOMPARE(s.doc.undoStack()->count(), int(!readOnly));
            // A name never asks, special slot or not.
            QCOMPARE(s.doc.editField(1, 0, QStringLiteral("ZAP"), s.asker).reason,
                     readOnly ? reasons::ReadOnlyImage : QString());
        }
    }

    // Several slots at once (import, paste, take): read-only refuses; where
    // special records would change, one question: Yes all, No all but the
    // special ones, Cancel none. One special slot alone asks Yes/No. A name
    // of a special slot never asks.
    void changeSeveral_data() {
        const Question several = Question::ChangeSpecialSlots, one = Question::ChangeSpecialSlot;
        addRows<SeveralCase>({
            {"ordinary", {0, 2}, false, {}, {}, {0, 2}},
            {"read-only", {0, 2}, true, {}, {}, {}},
            {"special, Yes", {0, 1, 3}, false, several, Reply::Yes, {0, 1, 3}},
            {"special, No", {0, 1, 3}, false, several, Reply::No, {0}},
            {"special, Cancel", {0, 1, 3}, false, several, Reply::Cancel, {}},
            {"one special, No", {3}, false, one, Reply::No, {}},
            {"one special, Yes", {3}, false, one, Reply::Yes, {3}},
            {"names only", {-1, -3}, false, {}, {}, {1, 3}},
        });
    }
    void changeSeveral() {
        QFETCH(SeveralCase, c);
        Session s(testImage(), c.readOnly);
        SlotRecords records;
        for (int slot : c.chosen) { // a negative slot: its name only
            SpellRecord r = s.doc.record(std::abs(slot));
            if (slot < 0)
                r.name = "\x8A";
            else
                r.bytes[2] = 0x10;
            records.append({std::abs(slot), r});
        }
        if (c.question)
            s.asker.expect(*c.question, c.reply);
        QList<int> took;
        const Outcome outcome = s.doc.change(records, QStringLiteral("Paste"), s.asker, &took);
        QVERIFY(s.asker.script.empty());
        QCOMPARE(took, c.taken);
        QCOMPARE(outcome.reason, c.readOnly ? reasons::ReadOnlyImage : QString());
        for (const auto &[slot, r] : records)
            QCOMPARE(s.doc.record(slot) == r, c.taken.contains(slot));
        QCOMPARE(s.doc.undoStack()->count(), int(!c.taken.isEmpty()));
    }

    // A table cell goes through the same rules as the window's field: list
    // indexes, typed numbers and First Byte text, names as the name box keeps
    // them, "Invalid Value" as a pick of the first item, out of range refused.
    void editField_data() {
        const QString plain = "18 00 00 01 01 b0 20 AAAA";
        addRows<FieldCase>({
            {"Elemental Fire", 0, 3, 5, "18 00 10 01 01 b0 20 AAAA", ""},
            {"Effect Negative", 0, 5, 3, "18 00 00 01 03 b0 20 AAAA", ""},
            {"Invalid Value, valid", 2, 5, 17, "18 00 00 01 00 b0 20 AAAA", ""},
            {"Invalid Value, invalid", 4, 6, 9, "18 00 00 01 01 f0 20 AAAA", ""},
            {"number", 0, 2, "125", "18 7d 00 01 01 b0 20 AAAA", ""},
            {"number too big", 0, 2, "300", plain, reasons::OutOfRange},
            {"First Byte text", 0, 1, "7E Whatever", "7e 00 00 01 01 b0 20 AAAA", ""},
            {"First Byte garbage", 0, 1, "Fire!", plain, reasons::OutOfRange},
            {"name", 0, 0, "FOG", "18 00 00 01 01 b0 20 FOG", ""},
            {"long name", 0, 0, "FI@RE", "18 00 00 01 01 b0 20 IRE", ""},
        });
    }
    void editField() {
        QFETCH(FieldCase, c);
        QByteArray image = plainImage(7);
        setRecord(image, 4, {0x18, 0, 0, 1, 1, 240, 32}); // Appearance invalid
        Session s(image);
        QCOMPARE(s.doc.editField(c.slot, c.n, c.value, s.asker).reason, c.reason);
        QCOMPARE(shown(s.doc.record(c.slot)), c.after);
    }

    // The marks follow the history: back at the saved state nothing is
    // marked; a slot undone past the saved state stays marked once a new
    // edit has cut the saved state off, until the next save. A save over
    // tables that another program (here another session) changed since they
    // were read asks; on No nothing is written (Yes: the window's Save).
    void marksAndSaves() {
        Session s(plainImage());
        SpellDocument &doc = s.doc;
        SpellDocument other;
        QVERIFY(other.open(s.path(), false, s.asker).ok());
        doc.setByte(5, 3, 0x10);
        QCOMPARE(marks(doc), "file 5");
        doc.undoStack()->undo();
        QCOMPARE(marks(doc), "-");
        doc.undoStack()->redo();
        QVERIFY(doc.save(s.asker).ok());
        QCOMPARE(marks(doc), "-");
        doc.undoStack()->undo(); // the file holds slot 5's edit, the store not
        QCOMPARE(marks(doc), "file 5");
        doc.setByte(7, 4, 2); // the saved state can no longer be reached
        QCOMPARE(marks(doc), "file 5 7");
        doc.undoStack()->undo();
        QCOMPARE(marks(doc), "file 5");
        doc.setByte(8, 4, 2);
        QVERIFY(doc.save(s.asker).ok());
        QCOMPARE(marks(doc), "-");

        const QByteArray saved = readWhole(s.path());
        other.setByte(2, 3, 0x20);
        s.asker.expect(Question::ReplaceOutsideChanges, Reply::No);
        const Outcome refused = other.save(s.asker);
        QCOMPARE(refused.status, Outcome::Cancelled);
        QCOMPARE(refused.reason, reasons::ChangedByOther);
        QVERIFY(readWhole(s.path()) == saved && other.fileChanged());
    }

    // An import plans what changes and applies it as one named step through
    // the guard; unreadable files say why and change nothing.
    void import() {
        Session s(testImage());
        const QString file =
            s.folder.add("mod.json", R"({"format": "corvantis-spells", "version": 1, "spells": [
                {"slot": 0, "elemental": 16}, {"slot": 1, "elemental": 16},
                {"slot": 2, "elemental": 0}, {"slot": 3, "name": "ZAP"}]})");
        const SpellDocument::ImportPlan plan = s.doc.planImport(file);
        QVERIFY2(plan.error.isEmpty(), qPrintable(plan.error));
        QCOMPARE(plan.records.size(), 3); // slot 2 already holds 0
        QCOMPARE(plan.special, QList{1});
        s.asker.expect(Question::ChangeSpecialSlots, Reply::No);
        QVERIFY(s.doc.applyImport(plan, s.asker).ok());
        QCOMPARE(s.doc.undoStack()->undoText(), "Import of 2 spells from mod.json");
        QCOMPARE(s.doc.record(3).name, "\xa3\x8a\x99\xff"); // padded as the file holds it
        const QString none = s.folder.path("none.json");
        QVERIFY(s.doc.planImport(none).error.startsWith(none));
    }

    // Nothing is written over the open image or a patch's original, whatever
    // name the path gives them: Save As onto the open image is Save. Save As
    // elsewhere makes its copy the open image, writable; a copy beside it
    // leaves the open image as it is; another program's change asks.
    void saveAsAndOutputs() {
        QByteArray image = plainImage();
        Session s(image, true);
        const QString link = s.folder.path("link.nes"), copy = s.folder.path("b.nes"),
                      original = s.folder.add("o.nes", plainImage(2)), twin = s.folder.path("twin");
        QVERIFY(QFile::link(s.path(), link));
        QVERIFY(::link(QFile::encodeName(original), QFile::encodeName(twin)) == 0);
        QCOMPARE(s.doc.saveAs(link, s.asker).reason, reasons::ReadOnlyImage);
        QCOMPARE(s.doc.saveCopy(link, s.asker).reason, reasons::IsTheImage(link));
        QCOMPARE(s.doc.exportTo(link, ExportFormat::Json).reason, reasons::IsTheImage(link));
        QCOMPARE(s.doc.createPatch(original, s.path(), PatchFormat::Bps, s.asker).reason,
                 reasons::IsTheImage(s.path()));
        QCOMPARE(s.doc.createPatch(original, twin, PatchFormat::Ips, s.asker).reason,
                 reasons::IsTheOriginal(twin));
        QVERIFY(readWhole(s.path()) == image && readWhole(original) == plainImage(2));
        QCOMPARE(s.doc.saveAs(s.folder.path("."), s.asker).status, Outcome::Failed);
        QVERIFY(s.doc.saveAs(copy, s.asker).ok() && !s.doc.readOnly());
        s.doc.setByte(2, 3, 0x10);
        QVERIFY(s.doc.saveCopy(s.folder.path("c.nes"), s.asker).ok());
        QVERIFY(s.doc.fileChanged() && s.doc.path() == QFileInfo(copy).canonicalFilePath());
        image[SpellTableOffset + 2 * RecordSize + 2] = 0x10;
        QCOMPARE(readWhole(s.folder.path("c.nes")), image);
        QVERIFY(s.doc.saveAs(copy, s.asker).ok() && readWhole(copy) == image); // saved in place
        image[SpellTableOffset + 2] = 0x40; // another program's edit
        QVERIFY(writeWhole(copy, image));
        s.asker.expect(Question::ReplaceOutsideChanges, Reply::No);
        QCOMPARE(s.doc.saveCopy(s.folder.path("d.nes"), s.asker).status, Outcome::Cancelled);
        QVERIFY(!QFile::exists(s.folder.path("d.nes")));
    }

    // Pasted spells or a column's values, one step: one onto all, n onto n or
    // from one slot on; what does not fit or read changes nothing.
    void paste_data() {
        const QString five = "20 03 40 02 03 c0 26 FIVE", six = "28 09 80 04 01 b8 22 SIX ",
                      plain = "18 00 00 01 01 b0 20 AAAA", ice = "18 00 20 01 01 b0 20 AAAA",
                      fire = "18 00 10 01 01 b0 20 AAAA",
                      noSpells = "The clipboard: no spells (neither the export's JSON nor its "
                                 "columns separated by tabs)",
                      bad = R"({"format": "corvantis-spells", "version": 1, "spells": [{}]})";
        addRows<PasteCase>({
            {"two spells in order, text", "text", {21, 20}, 3, {five, six}, ""},
            {"two from one slot on", "json", {30}, -1, {five, six}, ""},
            {"past the end", "json", {63}, -1, {plain}, reasons::PastePastEnd(2, "XXXX")},
            {"two onto three", "text", {7, 8, 9}, -1, {plain}, reasons::PasteCount(2, 3)},
            {"a cell onto a column", "ice\n", {40, 41}, 3, {ice, ice}, ""},
            {"cells onto a column", "Ice\r\nFire", {40, 41}, 3, {ice, fire}, ""},
            {"not a choice", "Icy", {40}, 3, {plain}, reasons::NotAChoice("Icy", "Elemental")},
            {"number too big", "300", {40}, 2, {plain}, reasons::OutOfRange},
            {"name", "FI@RE", {40}, 0, {"18 00 00 01 01 b0 20 IRE"}, ""},
            {"not spells", "Ice", {40}, -1, {plain}, noSpells},
            {"bad spell", bad, {40}, -1, {plain}, "The clipboard: spells[0].slot: missing"},
        });
    }
    void paste() {
        QFETCH(PasteCase, c);
        QByteArray image = plainImage();
        setRecord(image, 5, {0x20, 3, 0x40, 2, 3, 0xC0, 0x26});
        setName(image, 5, EncodeName("FIVE"));
        setRecord(image, 6, {0x28, 9, 0x80, 4, 1, 0xB8, 0x22});
        setName(image, 6, EncodeName("SIX") + char(NameFiller));
        Session s(image);
        const SpellDocument::Copied copied = s.doc.copy({5, 6});
        const QString text = c.copied == "json"   ? QString::fromUtf8(copied.json)
                             : c.copied == "text" ? copied.text
                                                  : c.copied;
        QCOMPARE(s.doc.paste(text, c.onto, c.field, s.asker).reason, c.reason);
        for (int i = 0; i < c.after.size(); ++i) // past onto: the slots after its one slot
            QCOMPARE(shown(s.doc.record(c.onto.value(i, c.onto[0] + i))), c.after[i]);
        QCOMPARE(s.doc.undoStack()->count(), int(c.reason.isEmpty()));
    }

    // Open Recent: the newest first, once each, eight at most; files gone
    // are left out.
    void recentImages() {
        ImageFolder folder;
        QStringList recent, gone{folder.path(".")}; // not a file
        for (int i = 0; i < 10; ++i)
            recent = WithRecentImage(recent, folder.add(QString::number(i), "x"));
        recent = WithRecentImage(gone + recent, folder.path("5"));
        QVERIFY(QFile::remove(folder.path("9")));
        QCOMPARE(ExistingImages(recent).join(' ').remove(folder.path("") + '/'), "5 8 7 6 4 3");
    }

    // An image whose last save in place was stopped midway: Open asks; Yes
    // puts the copy made before it back, No opens it as it is and keeps the
    // copy, Cancel (a writing verb's answer) opens nothing and names the copy.
    void interruptedSave() {
        ImageFolder folder;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.path("cache")));
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        const QByteArray before = plainImage(1), half = plainImage(2);
        const QString path = folder.add("a.nes", half), copy = cache + "/a.nes.0-0.stopped0.backup";
        QVERIFY(QDir().mkpath(cache) && writeWhole(copy, before));
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(path), &st) == 0);
        const QByteArray journal =
            "corvantis-spell-editor interrupted save\npath " + QFile::encodeName(path) +
            "\ndevice " + QByteArray::number(quint64(st.st_dev)) + "\ninode " +
            QByteArray::number(quint64(st.st_ino)) + "\nbackup a.nes.0-0.stopped0.backup\nend\n";
        QVERIFY(writeWhole(cache + "/a.nes.0-0.stopped0.journal", journal));
        for (Reply reply : {Reply::Cancel, Reply::No, Reply::Yes}) {
            ScriptedAsker asker;
            SpellDocument doc;
            asker.expect(Question::RestoreInterruptedSave, reply);
            const Outcome opened = doc.open(path, false, asker);
            QCOMPARE(asker.details, QStringList{copy});
            QCOMPARE(opened.ok(), reply != Reply::Cancel);
            QCOMPARE(opened.reason.contains(copy), reply == Reply::Cancel);
            QCOMPARE(readWhole(path), reply == Reply::Yes ? before : half);
            QCOMPARE(QFile::exists(copy), reply != Reply::Yes);
            if (reply != Reply::Cancel)
                QCOMPARE(doc.record(0).name, storeOf(readWhole(path)).record(0).name);
        }
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
