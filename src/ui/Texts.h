#pragma once

#include "document/Reasons.h"

#include <QString>
#include <QStringList>

// The program's own words, in one place so that the window and its tests
// agree on them to the character.
namespace corvantis::texts {

inline const QString AppTitle = QStringLiteral("Corvantis Spell Editor");
inline const QString OpenTitle = QStringLiteral("Open ROM...");
inline const QString OpenFilter = QStringLiteral("NES Game Image (*.nes)");
inline const QString OpenReadOnly = QStringLiteral("Open as &read-only");

// Two-sentence messages are joined by a single carriage return.
inline const QString UnsavedOpen =
    QStringLiteral("You have unsaved changes.\rAre you sure you want to open a file?");
inline const QString UnsavedQuit =
    QStringLiteral("You have unsaved changes.\rAre you sure you want to quit?");
inline const QString NothingChanged = QStringLiteral("You haven't changed anything.");
inline QString SaveQuestion(const QString &path) {
    return QStringLiteral("Make changes to file \"") + path + QStringLiteral("\"?");
}
inline const QString ChangedByOther =
    QStringLiteral("The image was changed by another program since it was opened.\r"
                   "Do you want to replace its spell tables with yours?");
inline const QString ErrorReading = QStringLiteral("Error reading file.");
inline const QString ErrorWriting = QStringLiteral("Error writing file.");
inline const QString SpecialSlot = QStringLiteral(
    "Changing this spell has unpredictable results.\rAre you sure you want to change it?");
inline const QString SpecialSlots = QStringLiteral(
    "Some of these spells are special (First Byte FF).\rDo you want to change them too?");
inline const QString InterruptedSave =
    QStringLiteral("The last save of this image was interrupted.\r"
                   "Do you want to put back the copy made before it?");
inline const QString SavedWithWarning = QStringLiteral("The file was saved.");
inline const QString &ReadOnlyImage = reasons::ReadOnlyImage;
inline const QString PatchOriginalTitle = QStringLiteral("Create Patch: the Unmodified Image");
inline const QString PatchFileTitle = QStringLiteral("Create Patch: Save the Patch As");
inline const QStringList PatchFilters{QStringLiteral("BPS patch (*.bps)"),
                                      QStringLiteral("IPS patch (*.ips)")};
inline const QString ExportTitle = QStringLiteral("Export Spells");
inline const QStringList ExportFilters{QStringLiteral("JSON (*.json)"),
                                       QStringLiteral("CSV (*.csv)")};
inline const QString SaveAsTitle = QStringLiteral("Save Image As");
inline const QString NothingPasted = QStringLiteral("Nothing was pasted.");
inline const QString ImportTitle = QStringLiteral("Import Spells");
inline const QStringList ImportFilters{QStringLiteral("JSON (*.json)")};
inline const QString CompareTitle = QStringLiteral("Compare With");
inline const QStringList CompareFilters{
    QStringLiteral("Images, patches and spell files (*.nes *.ips *.bps *.json)"),
    QStringLiteral("All files (*)")};
// What an import or a take changed, by the slots' labels in slot order:
// "3 spells changed: FIRE, ICE, LIT2."
inline const QString NoSpellChanged = QStringLiteral("No spell changed.");
inline QString SpellsChanged(const QStringList &labels) {
    if (labels.isEmpty())
        return NoSpellChanged;
    const QString list = labels.join(QStringLiteral(", "));
    // "ZAP!" ends a sentence as it is.
    return (labels.size() == 1 ? QStringLiteral("1 spell changed: ")
                               : QStringLiteral("%1 spells changed: ").arg(labels.size())) +
           list + (list.endsWith(QLatin1Char('!')) ? QString() : QStringLiteral("."));
}
inline const QString IpsTooLarge =
    QStringLiteral("An IPS patch cannot reach past 16 MiB, and this image is larger.\r"
                   "Do you want to create a BPS patch instead?");
inline const QString ReadOnlyTip = QStringLiteral("Opened read-only: edits and Save are refused");
inline const QString HelpTitle = QStringLiteral("Corvantis Spell Editor Help");
inline const QString &OutOfRange = reasons::OutOfRange;

} // namespace corvantis::texts
