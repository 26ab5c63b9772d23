#pragma once

#include <QString>

// The session's own words for why a command did not go ahead: the window
// shows them in its messages, the command line prints them.
namespace corvantis::reasons {

// Two-sentence messages are joined by a single carriage return.
inline const QString ReadOnlyImage =
    QStringLiteral("This ROM is read-only.\rIt cannot be changed.");
inline const QString OutOfRange = QStringLiteral("Values must be in the range of 0 to 255.");
inline const QString ChangedByOther =
    QStringLiteral("The image was changed by another program since it was opened.");
inline const QString NoImage = QStringLiteral("No image is open.");

inline QString IsTheImage(const QString &path) {
    return QStringLiteral("%1 is the open image; it is not overwritten.").arg(path);
}
inline QString IsTheOriginal(const QString &path) {
    return QStringLiteral("%1 is the original image of the patch; it is not overwritten.")
        .arg(path);
}
// An undo step that brings spells from a file: "Import of 10 spells from
// mod.json", "Take of 1 spell from mod.bps".
inline QString StepFrom(const QString &verb, int count, const QString &file) {
    return QStringLiteral("%1 of %2 %3 from %4")
        .arg(verb, QString::number(count),
             count == 1 ? QStringLiteral("spell") : QStringLiteral("spells"), file);
}

inline QString PasteCount(int count, int selected) {
    return QStringLiteral("%1 pasted spells or values do not fit onto %2 selected spells: select "
                          "one, or as many as were copied.")
        .arg(count)
        .arg(selected);
}
inline QString PastePastEnd(int count, const QString &first) {
    return QStringLiteral("%1 pasted spells or values from %2 on run past the last spell.")
        .arg(count)
        .arg(first);
}
inline QString NotAChoice(const QString &text, const QString &field) {
    return QStringLiteral("\"%1\" is not a choice of %2.").arg(text, field);
}
inline QString PasteStep(int count, const QString &label) {
    return count == 1 ? QStringLiteral("Paste onto %1").arg(label)
                      : QStringLiteral("Paste onto %1 spells").arg(count);
}

} // namespace corvantis::reasons
