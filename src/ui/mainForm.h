#pragma once

#include "document/SpellDocument.h"
#include "ui/HelpPage.h"
#include "ui/Prompter.h"

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <memory>

class QComboBox;
class QTextBrowser;
class aboutForm;

namespace Ui {
class mainForm;
}

namespace corvantis {

struct SlotChoice;

// The editor's one working window: a face of the session (SpellDocument).
// Its file commands ask, call the session and report; it shows the selected
// slot and runs the edit handlers of its name and record fields.
//
// Handlers run for the user's edits and for the window's own changes of the
// controls alike (Qt emits synchronously for both). Each compares what its
// control now stands for with the store and only then counts it as an edit,
// so showing a slot is never an edit.
class mainForm : public QMainWindow {
    Q_OBJECT

  public:
    // prompter answers questions and picks files; the window uses the real
    // dialogs when none is given. It must outlive the window.
    explicit mainForm(Prompter *prompter = nullptr, QWidget *parent = nullptr);
    ~mainForm() override;

    // Shows the window, fills the lists and opens an image: the one at
    // imagePath (writable) when given, otherwise the one the user picks.
    void Form_Load(const QString &imagePath = QString());

    void fill_cbs();

    // Stores what was typed into a field but not yet applied, as Enter
    // would; every command calls this first.
    void applyPendingText();

    const MainModule &store() const { return doc_.store(); }
    SpellDocument &document() { return doc_; }

    // Selects a slot and shows it, as a pick in the selector does.
    void selectSlot(int slot);

    // How the help page is opened; replaced by tests.
    void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }

  public slots:
    void menuFileOpen_Click();
    void menuFileSave_Click();
    void menuFileExit_Click();
    void menuFileImport_Click();
    void menuHelpContents_Click();
    void menuHelpAbout_Click();
    void menuEditUndo_Click();
    void menuEditRedo_Click();
    void menuEditRevert_Click();
    void menuEditCopy_Click();
    void menuEditPaste_Click();
    void menuViewAllSpells_Click();

    void cbSpellName_Click();
    void cbByte1_Change();
    void cbByte2_Click();
    void cbByte3_Click();
    void cbByte4_Click();
    void cbByte5_Click();
    void cbByte6_Click();
    void cbByte7_Click();
    void txtByte2_Change();
    void txtName_Change();

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

  private:
    // The selected slot, or -1 before any has been selected.
    int slot() const;

    // After an Open: the path, its read-only mark, slot 0 shown afresh.
    void showImage();
    void showPath();
    // The slots Copy, Paste and Revert act on: the active window's.
    SlotChoice choice() const;

    void ShowSpell();
    void ShowRawData();
    void SetupEffectivenessField();
    bool ConfirmSpellChange(bool isNameChange);
    void ShowChangeMarks();
    // Runs a step the window itself makes: the document's notice of it is
    // not an undo or redo to follow.
    template <typename F> auto ownEdit(F &&edit) {
        const bool outer = !inOwnEdit_;
        inOwnEdit_ = true;
        struct Restore {
            bool &flag;
            bool outer;
            ~Restore() { flag = !outer; }
        } restore{inOwnEdit_, outer};
        return edit();
    }
    void followDocument(int slot);
    void editFromTable(int slot, int n, const QVariant &value);
    void listFieldClicked(int byteNumber, QComboBox *box);
    void txtName_KeyPress(char16_t &keyCode);
    Prompter::Answer ask(const QString &text, Prompter::Buttons buttons, Prompter::Icon icon);

    std::unique_ptr<Ui::mainForm> ui;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter *prompter_;
    SpellDocument doc_;
    class FileCommands *files_;
    class EditCommands *edits_;
    class AllSpellsWindow *allSpells_ = nullptr;
    ::aboutForm *about_ = nullptr;
    HelpOpener helpOpener_;
    QTextBrowser *help_ = nullptr;
    bool exitConfirmed_ = false;
    bool inByte1Edit_ = false;
    bool inOwnEdit_ = false;
    bool fullIcon_ = false;
};

} // namespace corvantis
