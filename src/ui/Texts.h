#pragma once

#include <QString>

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
inline const QString ReadOnlyImage =
    QStringLiteral("This ROM is read-only.\rIt cannot be changed.");
inline const QString OutOfRange = QStringLiteral("Values must be in the range of 0 to 255.");

} // namespace corvantis::texts
