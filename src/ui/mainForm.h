#pragma once

#include "data/MainModule.h"
#include "ui/Prompter.h"

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <memory>

class QComboBox;
class aboutForm;

namespace Ui {
class mainForm;
}

namespace corvantis {

// The editor's one working window: the file commands, the display of the
// selected slot and the edit handlers of its name and record fields.
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

    MainModule &store() { return store_; }
    const MainModule &store() const { return store_; }

    // How the help page is opened; replaced by tests.
    void setHelpOpener(std::function<void(const QUrl &)> opener) {
        helpOpener_ = std::move(opener);
    }

  public slots:
    void menuFileOpen_Click();
    void menuFileSave_Click();
    void menuFileExit_Click();
    void menuHelpContents_Click();
    void menuHelpAbout_Click();

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
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // The selected slot, or -1 before any has been selected.
    int slot() const;

    bool openImage(const QString &path, bool readOnly);
    void ShowSpell();
    void ShowRawData();
    void SetupEffectivenessField();
    bool ConfirmSpellChange(bool isNameChange);
    void ClearChangeFlags();
    void listFieldClicked(int byteNumber, QComboBox *box);
    void txtName_KeyPress(char16_t &keyCode);
    Prompter::Answer ask(const QString &text, Prompter::Buttons buttons, Prompter::Icon icon);
    // A failed file command: its message (OK, critical) with the reason under it.
    void reportFailure(const QString &text, const QString &reason);

    std::unique_ptr<Ui::mainForm> ui;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter *prompter_;
    MainModule store_;
    ::aboutForm *about_ = nullptr;
    std::function<void(const QUrl &)> helpOpener_;
    bool exitConfirmed_ = false;
    bool inByte1Edit_ = false;
};

} // namespace corvantis
