#include "cli/CommandLine.h"

#include "cli/Usage.h"
#include "data/NameCodec.h"
#include "document/SpellDocument.h"
#include "fields/FieldLists.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace corvantis::cli {

namespace {

const QString List = QStringLiteral("list");
const QString Export = QStringLiteral("export");
const QString Import = QStringLiteral("import");
const QString CreatePatch = QStringLiteral("create-patch");
const QString Compare = QStringLiteral("compare");
const QString Output = QStringLiteral("output");
const QString Force = QStringLiteral("force");

// A line on standard error that does not end the verb.
void warn(const QString &text) {
    Failed(text);
}

// The columns of --list and --compare.
QStringList header() {
    QStringList row{QStringLiteral("Slot"), QStringLiteral("Label"), QStringLiteral("Name"),
                    QStringLiteral("Raw Data")};
    for (int n = 1; n <= FieldCount; ++n)
        row.append(FieldCaption(n));
    return row;
}

QStringList spellRow(const MainModule &store, int slot) {
    QStringList row{QString::number(slot), SlotLabels().value(slot),
                    DecodeName(store.SpellNames[slot]), RawLine(store, slot).trimmed()};
    for (int n = 1; n <= FieldCount; ++n)
        row.append(FieldText(store, slot, n));
    return row;
}

// Rows as a table with aligned columns.
QString table(const QList<QStringList> &rows) {
    QList<qsizetype> widths(rows[0].size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    QString out;
    for (const QStringList &row : rows) {
        QString line = row[0].rightJustified(widths[0]);
        for (qsizetype c = 1; c < row.size(); ++c)
            line += QStringLiteral("  ") + row[c].leftJustified(widths[c]);
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        out += line + QLatin1Char('\n');
    }
    return out;
}

// Standard input, as a spell file: no larger than an image.
QByteArray readInput() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    QByteArray bytes = in.read(MaximumImageSize + 1);
    return bytes.size() > MaximumImageSize ? QByteArray() : bytes;
}

// The command line's answers to the session's questions: it never asks.
class VerbAsker : public Asker {
  public:
    VerbAsker(bool force, bool writes) : force_(force), writes_(writes) {}

    Reply ask(Question question, const QString &detail) override {
        switch (question) {
        case Question::ChangeSpecialSlot:
        case Question::ChangeSpecialSlots:
            return force_ ? Reply::Yes : Reply::Cancel;
        case Question::RestoreInterruptedSave:
            // A verb that writes stops; one that only reads says so and goes on.
            if (writes_)
                return Reply::Cancel;
            warn(QStringLiteral("the last save of this image was interrupted; the copy made "
                                "before it is kept at %1")
                     .arg(detail));
            return Reply::No;
        case Question::ReplaceOutsideChanges:
        case Question::PatchAsBps:
            break;
        }
        return Reply::No;
    }

  private:
    bool force_, writes_;
};

int report(const Outcome &outcome) {
    if (!outcome.warning.isEmpty())
        warn(outcome.warning);
    return outcome.ok() ? 0 : Failed(outcome.reason);
}

int exportSpells(const SpellDocument &doc, const QString &file) {
    if (file == QLatin1String("-")) {
        const QByteArray json = ExportJson(doc.store());
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        return PrintOut(QString());
    }
    return report(doc.exportTo(file, *ExportFormatOf(file)));
}

int importSpells(SpellDocument &doc, const QString &image, const QString &file,
                 const QString &output, VerbAsker &asker, bool force) {
    const SpellDocument::ImportPlan plan =
        file == QLatin1String("-") ? doc.planImport(readInput(), QStringLiteral("standard input"))
                                   : doc.planImport(file);
    if (!plan.error.isEmpty())
        return Failed(plan.error);
    if (!plan.special.isEmpty() && !force) {
        QStringList special;
        for (int slot : plan.special)
            special.append(QStringLiteral("%1 %2").arg(slot).arg(SlotLabels().value(slot)));
        return Failed(QStringLiteral("%1 would change the record of special slots (First Byte "
                                     "FF): %2; nothing was written. Give --force to import them.")
                          .arg(file, special.join(QStringLiteral(", "))));
    }
    if (plan.records.isEmpty() && output.isEmpty())
        return PrintOut(QStringLiteral("No spell changed; %1 was not written.\n").arg(image));
    QStringList changed;
    for (const auto &[slot, r] : plan.records) {
        const SpellRecord was = doc.record(slot);
        const bool record = r.bytes != was.bytes;
        const bool name = PaddedName(r.name) != PaddedName(was.name);
        changed.append(QStringLiteral("%1 %2  %3")
                           .arg(slot, 2)
                           .arg(SlotLabels().value(slot))
                           .arg(record && name ? QStringLiteral("record and name")
                                               : (record ? QStringLiteral("record")
                                                         : QStringLiteral("name"))));
    }
    // With --output the image stays as it is and the result is a new file.
    Outcome outcome = doc.applyImport(plan, asker);
    if (outcome.ok())
        outcome = output.isEmpty() ? doc.save(asker) : doc.saveCopy(output, asker);
    if (const int failed = report(outcome))
        return failed;
    PrintOut(QStringLiteral("Changed %1 of 64 spells in %2:\n%3\n")
                 .arg(changed.size())
                 .arg(output.isEmpty() ? image : output, changed.join(QLatin1Char('\n'))));
    // The image is saved: output that went nowhere is said, but the import
    // did not fail.
    return 0;
}

int createPatch(const SpellDocument &doc, const QString &image, const QString &original,
                const QString &patchPath, VerbAsker &asker) {
    QString written;
    if (const int failed = report(
            doc.createPatch(original, patchPath, *PatchFormatOf(patchPath), asker, &written)))
        return failed;
    return PrintOut(
        QStringLiteral("Wrote %1, a patch from %2 to %3.\n").arg(written, original, image));
}

// The spells that differ, each differing cell with both values; what else
// is to be said on standard error. 0: none differ, 1: some do, 2: trouble.
int compare(const SpellDocument &doc, const QString &other) {
    const Comparison c = doc.compareWith(other);
    if (!c.ok()) {
        Failed(c.error);
        return 2;
    }
    warn(c.count());
    for (const QString &note : c.notes)
        warn(note);
    if (c.spells.empty())
        return 0;
    QList<QStringList> rows{header()};
    for (const SpellDifference &d : c.spells) {
        QStringList row = spellRow(doc.store(), d.slot);
        const QString theirs = RawLine(c.theirs, d.slot).trimmed();
        if (row[3] != theirs)
            row[3] += QStringLiteral(" → ") + theirs;
        row[2] = d.cell(NameColumn);
        for (int n = 1; n <= FieldCount; ++n)
            row[3 + n] = d.cell(n);
        rows.append(row);
    }
    return PrintOut(table(rows)) == 0 ? 1 : 2;
}

} // namespace

void AddOptions(QCommandLineParser &parser) {
    parser.addOptions({
        {List, QStringLiteral("Prints the 64 spells of the image as a table.")},
        {Export,
         QStringLiteral("Writes the spells of the image to <file>: JSON if it ends in .json, "
                        "CSV if in .csv, JSON on standard output for -."),
         QStringLiteral("file")},
        {Import,
         QStringLiteral("Applies the spells of the JSON <file> to the image, saves it and "
                        "prints which spells changed."),
         QStringLiteral("file")},
        {Force, QStringLiteral("With --import: also change the record of a special slot "
                               "(First Byte FF).")},
        {Compare,
         QStringLiteral("Prints the spells that differ between the image and <other>: another "
                        "image, an IPS or BPS patch (applied in memory) or a JSON spell file. "
                        "Exit status 0: none differ, 1: some do, 2: trouble."),
         QStringLiteral("other")},
        {CreatePatch,
         QStringLiteral("Writes a patch that turns <original> into the image (needs --output)."),
         QStringLiteral("original")},
        {Output,
         QStringLiteral("With --create-patch: the patch to write, IPS for .ips, BPS for .bps. "
                        "With --import: the new image to write, leaving the image as it was."),
         QStringLiteral("file")},
    });
}

bool HasVerb(const QCommandLineParser &parser) {
    for (const QString &name : {List, Export, Import, CreatePatch, Compare, Output, Force})
        if (parser.isSet(name))
            return true;
    return false;
}

int RunVerb(const QCommandLineParser &parser) {
    QStringList verbs;
    for (const QString &name : {List, Export, Import, CreatePatch, Compare})
        if (parser.isSet(name))
            verbs.append(QStringLiteral("--") + name);
    if (verbs.size() != 1)
        return UsageError(verbs.isEmpty() ? QStringLiteral("--output and --force go with a verb.")
                                          : QStringLiteral("Give one of %1, not both.")
                                                .arg(verbs.join(QStringLiteral(", "))));
    if (parser.isSet(CreatePatch) && !parser.isSet(Output))
        return UsageError(QStringLiteral("--create-patch and --output go together."));
    if (parser.isSet(Output) && !parser.isSet(CreatePatch) && !parser.isSet(Import))
        return UsageError(QStringLiteral("--output goes with --create-patch or --import."));
    if (parser.isSet(Force) && !parser.isSet(Import))
        return UsageError(QStringLiteral("--force goes with --import."));
    if (parser.positionalArguments().size() != 1)
        return UsageError(
            QStringLiteral("%1 works on one image: give its path once.").arg(verbs.constFirst()));
    const QString imagePath = parser.positionalArguments().constFirst();
    const QString patchPath = parser.value(Output);
    if (parser.isSet(CreatePatch) && !PatchFormatOf(patchPath))
        return UsageError(QStringLiteral("%1: a patch file ends in .ips or .bps.").arg(patchPath));
    if (parser.isSet(Export) && parser.value(Export) != QLatin1String("-") &&
        !ExportFormatOf(parser.value(Export)))
        return UsageError(QStringLiteral("%1: an export ends in .json or .csv (or is - for "
                                         "standard output).")
                              .arg(parser.value(Export)));

    // Only --import writes the image (unless to --output); the other verbs
    // read its tables.
    const bool writes = parser.isSet(Import) && !parser.isSet(Output);
    VerbAsker asker(parser.isSet(Force), writes);
    SpellDocument doc;
    const Outcome opened = doc.open(imagePath, !parser.isSet(Import), asker);
    if (!opened.ok()) {
        Failed(QStringLiteral("cannot read %1: %2").arg(imagePath, opened.reason));
        return parser.isSet(Compare) ? 2 : 1; // trouble, as diff and cmp say it
    }
    if (parser.isSet(List)) {
        QList<QStringList> rows{header()};
        for (int slot = 0; slot < SlotCount; ++slot)
            rows.append(spellRow(doc.store(), slot));
        return PrintOut(table(rows));
    }
    if (parser.isSet(Compare))
        return compare(doc, parser.value(Compare));
    if (parser.isSet(Export))
        return exportSpells(doc, parser.value(Export));
    if (parser.isSet(Import))
        return importSpells(doc, imagePath, parser.value(Import), parser.value(Output), asker,
                            parser.isSet(Force));
    return createPatch(doc, imagePath, parser.value(CreatePatch), patchPath, asker);
}

} // namespace corvantis::cli
