#pragma once

#include <QMainWindow>

class QComboBox;
class QLineEdit;
class QUndoStack;

namespace Ui {
class mainForm;
}

namespace corvantis {

// Finishes the form as designed: fonts, the First Byte box's own line edit,
// the fixed frame grown with the application font, captions as buddies and
// accessible names.
void SetUpForm(Ui::mainForm &ui, QMainWindow &window);

// Keeps the Undo and Redo actions enabled and named after the steps they
// would take.
void BindHistory(QUndoStack &stack, QAction &undo, QAction &redo);

// Where a window of size wanted (without its frame of border) goes beside
// the main window's frame main on screen: the side with room for it, else
// the side with the most room at a narrower width, else over the main
// window at the screen's edge; never wider or taller than the screen.
QRect PlaceBeside(QSize wanted, const QRect &main, QSize border, const QRect &screen);
// Places window so, at the size wanted, beside the window beside.
void PlaceBeside(QWidget &window, QSize wanted, const QWidget &beside);

// Fills a list without its handler seeing the intermediate selections, and
// leaves it with nothing selected.
void FillList(QComboBox *box, const QStringList &items);

// Shows text in a box. The same text again is left alone, since setting it
// lays the text out and repaints the box anyway; text typed but not applied
// is always replaced.
void ShowText(QLineEdit *box, const QString &text);

// The keys and the wheel over the window's fields: Ctrl+Z and its kin
// (history's keys) mean the document's history in the text boxes too, whose
// own undo would make edits behind the user's back; the wheel only turns a
// list that has the focus, so that passing over the window edits nothing.
void GuardFields(QMainWindow &window, const QList<QLineEdit *> &boxes,
                 const QList<QAction *> &history);

// Esc and Ctrl+W close window, one of the program's own (the table, the
// help page).
void AddCloseKeys(QWidget *window);

} // namespace corvantis
