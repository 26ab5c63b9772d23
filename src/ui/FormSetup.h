#pragma once

#include <QMainWindow>

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

} // namespace corvantis
