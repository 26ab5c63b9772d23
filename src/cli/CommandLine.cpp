#include "cli/CommandLine.h"

#include "cli/Usage.h"
#include "data/NameCodec.h"
#include "exchange/Files.h"
#include "exchange/ImageTables.h"
#include "exchange/Patch.h"
#include "exchange/SpellExport.h"
#include "exchange/SpellImport.h"
#include "fields/FieldLists.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace corvantis::cli {

namespace {

const QString List = QStringLiteral("list");
const QString Export = QStringLiteral("export");
const QString Import = QStringLiteral("import");
const QString CreatePatch = QStringLiteral("create-patch");
const QString Output = QStringLiteral("output");
const QString Force = QStringLiteral("force");

void print(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int failed(const QString &why) {
    print(stderr,
          QCoreApplication::applicationName() + QStringLiteral(": ") + why + QLatin1Char('\n'));
    return 1;
}

int usage(const QCommandLineParser &, const QString &why) {
    return UsageError(why);
}

// Output that went nowhere (a full disk, a closed pipe) is a failure.
int finish(int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return failed(QStringLiteral("cannot write to standard output"));
    return status;
}

bool load(const QString &path, QByteArray &image, MainModule &store, QString &why) {
    const std::optional<QByteArray> bytes = ReadWholeFile(path, &why);
    if (!bytes) {
        why = QStringLiteral("cannot read %1: %2").arg(path, why);
        return false;
    }
    if (!ReadTables(*bytes, store)) {
        why = QStringLiteral("%1 is too short to hold the spell tables: %2 bytes, and they need "
                             "%3")
                  .arg(path)
                  .arg(bytes->size())
                  .arg(MinimumImageSize);
        return false;
    }
    image = *bytes;
    return true;
}

// The spells as a table with aligned columns.
QString table(const MainModule &store) {
    QList<QStringList> rows{{QStringLiteral("Slot"), QStringLiteral("Label"),
                             QStringLiteral("Name"), QStringLiteral("Raw Data")}};
    for (int n = 1; n <= FieldCount; ++n)
        rows[0].append(FieldCaption(n));
    for (int slot = 0; slot < SlotCount; ++slot) {
        QStringList row{QString::number(slot), SlotLabels().value(slot),
                        DecodeName(store.SpellNames[slot]), RawLine(store, slot).trimmed()};
        for (int n = 1; n <= FieldCount; ++n)
            row.append(FieldText(store, slot, n));
        rows.append(row);
    }
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

int exportSpells(const QString &file, const QString &imagePath, const MainModule &store) {
    if (file == QLatin1String("-")) {
        const QByteArray json = ExportJson(store);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        return finish(0);
    }
    if (SameFile(file, imagePath))
        return failed(QStringLiteral("%1 is the image itself; it is not overwritten").arg(file));
    QString why;
    if (!SaveWholeFile(file, ExportSpells(ExportFormatOf(file), store), &why))
        return failed(QStringLiteral("cannot write %1: %2").arg(file, why));
    return 0;
}

int importSpells(const QString &file, const QString &imagePath, MainModule &store, bool force) {
    const SpellImport import = ReadSpellsFile(file);
    if (!import.ok())
        return failed(import.error);
    QStringList changed, special;
    for (const SpellChange &change : import.changes) {
        const bool record = ChangesRecord(store, change);
        const bool name = ChangesName(store, change);
        const QString slot =
            QStringLiteral("%1 %2").arg(change.slot, 2).arg(SlotLabels().value(change.slot));
        if (record && IsSpecialSlot(store, change.slot))
            special.append(slot.trimmed());
        if (record || name)
            changed.append(QStringLiteral("%1  %2").arg(
                slot, record && name
                          ? QStringLiteral("record and name")
                          : (record ? QStringLiteral("record") : QStringLiteral("name"))));
    }
    if (!special.isEmpty() && !force)
        return failed(QStringLiteral("%1 would change the record of special slots (First Byte "
                                     "FF): %2; nothing was written. Give --force to import them.")
                          .arg(file, special.join(QStringLiteral(", "))));
    if (changed.isEmpty()) {
        print(stdout, QStringLiteral("No spell changed; %1 was not written.\n").arg(imagePath));
        return finish(0);
    }
    for (const SpellChange &change : import.changes)
        ApplyChange(store, change);
    QString reason;
    if (!store.WriteSpells(imagePath, &reason))
        return failed(QStringLiteral("cannot save %1: %2").arg(imagePath, reason));
    print(stdout, QStringLiteral("Changed %1 of 64 spells in %2:\n%3\n")
                      .arg(changed.size())
                      .arg(imagePath, changed.join(QLatin1Char('\n'))));
    return finish(0);
}

int createPatch(const QString &original, const QString &patchPath, const QString &imagePath,
                const QByteArray &image) {
    QString why;
    if (!CreatePatchFile(original, image, patchPath, &why))
        return failed(why);
    print(stdout,
          QStringLiteral("Wrote %1, a patch from %2 to %3.\n").arg(patchPath, original, imagePath));
    return finish(0);
}

} // namespace

void AddOptions(QCommandLineParser &parser) {
    parser.addOptions({
        {List, QStringLiteral("Prints the 64 spells of the image as a table.")},
        {Export,
         QStringLiteral("Writes the spells of the image to <file>: CSV if it ends in .csv, "
                        "JSON otherwise, JSON on standard output for -."),
         QStringLiteral("file")},
        {Import,
         QStringLiteral("Applies the spells of the JSON <file> to the image, saves it and "
                        "prints which spells changed."),
         QStringLiteral("file")},
        {Force, QStringLiteral("With --import: also change the record of a special slot "
                               "(First Byte FF).")},
        {CreatePatch,
         QStringLiteral("Writes a patch that turns <original> into the image (needs --output)."),
         QStringLiteral("original")},
        {Output,
         QStringLiteral("With --create-patch: the patch to write, IPS for .ips, BPS for "
                        ".bps."),
         QStringLiteral("patch")},
    });
}

bool HasVerb(const QCommandLineParser &parser) {
    for (const QString &name : {List, Export, Import, CreatePatch, Output, Force})
        if (parser.isSet(name))
            return true;
    return false;
}

int RunVerb(const QCommandLineParser &parser) {
    QStringList verbs;
    for (const QString &name : {List, Export, Import, CreatePatch})
        if (parser.isSet(name))
            verbs.append(QStringLiteral("--") + name);
    if (verbs.size() != 1)
        return usage(parser, verbs.isEmpty()
                                 ? QStringLiteral("--output and --force go with a verb.")
                                 : QStringLiteral("Give one of %1, not both.")
                                       .arg(verbs.join(QStringLiteral(", "))));
    if (parser.isSet(Output) != parser.isSet(CreatePatch))
        return usage(parser, QStringLiteral("--create-patch and --output go together."));
    if (parser.isSet(Force) && !parser.isSet(Import))
        return usage(parser, QStringLiteral("--force goes with --import."));
    if (parser.positionalArguments().size() != 1)
        return usage(
            parser,
            QStringLiteral("%1 works on one image: give its path once.").arg(verbs.constFirst()));
    const QString imagePath = parser.positionalArguments().constFirst();
    const QString patchPath = parser.value(Output);
    if (parser.isSet(CreatePatch) && !PatchFormatOf(patchPath))
        return usage(parser,
                     QStringLiteral("%1: a patch file ends in .ips or .bps.").arg(patchPath));
    if (parser.isSet(CreatePatch) &&
        (SameFile(patchPath, imagePath) || SameFile(patchPath, parser.value(CreatePatch))))
        return failed(
            QStringLiteral("%1 is one of the images; it is not overwritten").arg(patchPath));

    QByteArray image;
    MainModule store;
    QString why;
    if (!load(imagePath, image, store, why))
        return failed(why);
    if (parser.isSet(List)) {
        print(stdout, table(store));
        return finish(0);
    }
    if (parser.isSet(Export))
        return exportSpells(parser.value(Export), imagePath, store);
    if (parser.isSet(Import))
        return importSpells(parser.value(Import), imagePath, store, parser.isSet(Force));
    return createPatch(parser.value(CreatePatch), patchPath, imagePath, image);
}

} // namespace corvantis::cli
