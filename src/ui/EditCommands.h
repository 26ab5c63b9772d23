#pragma once

#include "ui/AllSpellsWindow.h"
#include "ui/FileCommands.h"

#include <functional>

namespace corvantis {

// Edit > Copy Spell, Paste Spell and Revert Spell, on the slots chosen in
// whichever window is active (the main window's slot, the table's cells):
// each asks the session and reports as the file commands do.
class EditCommands : public QObject {
    Q_OBJECT

  public:
    EditCommands(SpellDocument &doc, FileCommands &files, std::function<SlotChoice()> choice,
                 QObject *parent);

    // The chosen spells, or one column's cells, onto the clipboard: the
    // export's JSON and text for spreadsheets.
    void copy();
    // What the clipboard holds onto the chosen slots, as one step.
    void paste();
    // The chosen slots as they were opened or last saved, as one step.
    void revert();
    // Whether Revert has anything to put back.
    bool canRevert() const;

  private:
    SpellDocument &doc_;
    FileCommands &files_;
    std::function<SlotChoice()> choice_;
};

} // namespace corvantis
