#pragma once

#include "document/SpellDocument.h"
#include "ui/Prompter.h"
#include "ui/RecentFiles.h"

#include <QObject>

#include <functional>
#include <optional>

class QMenu;

namespace corvantis {

// The window's file commands, each as ask → the session → report: the
// questions and file dialogs are the window's, every check and every
// decision the session's.
class FileCommands : public QObject {
    Q_OBJECT

  public:
    // window is the parent of every dialog; before runs ahead of each
    // command (it applies text typed but not yet applied).
    FileCommands(SpellDocument &doc, Prompter &prompter, QWidget *window,
                 std::function<void()> before);

    // Applies text typed but not yet applied, as every command does first.
    void applyPending() { before_(); }

    // Whether unsaved changes may be left behind: there are none, or the
    // user says so to question.
    bool mayDiscardChanges(const QString &question);

    void open();
    // Open with a file already chosen: the unsaved-changes question first.
    void openChosen(const QString &path, bool readOnly);
    // Open without a question (the image named at start-up).
    void openImage(const QString &path, bool readOnly);
    void save();
    // The image saved as a new file, which is then the open image.
    void saveAs();
    // shown (if given) runs once the import is in the session, before its
    // message.
    void import(const std::function<void()> &shown = {});
    void exportSpells();
    void createPatch();
    // Compare With: a file chosen in the dialog, or given; its comparison
    // opens in the comparison window, whose Take Spells comes back to take.
    void compare();
    void compareWith(const QString &path);
    void take();
    // A dropped file: a patch or a spell file is compared, any other opened.
    void openDropped(const QString &path);

    // Shows what a command came to: nothing when done or cancelled, else the
    // failure message with the reason under it; an edit's refusal as the
    // guard's own message.
    void report(const Outcome &outcome, const QString &failure, QWidget *over = nullptr);
    // Says which spells an import or a take changed (taken: in slot order),
    // over the window over.
    void sayChanged(const QList<int> &taken, QWidget *over);
    Asker &asker() { return asker_; }

    // File > Open Recent, filled from menu as it opens.
    void setRecentMenu(QMenu *menu);
    RecentFiles *recent() const { return recent_; }

  private:
    // A file to write, chosen in the dialog, which suggests the image's name
    // with the first suffix; the chosen filter adds its suffix (suffixes, in
    // the filters' order) when the name has none of them.
    std::optional<QString> chooseOutput(const QString &title, const QStringList &filters,
                                        const QStringList &suffixes, int &filter);
    // Where a file dialog starts: the open image's folder, with its name
    // given suffix when suffix is not empty.
    QString besideImage(const QString &suffix) const;
    Prompter::Answer ask(const QString &text, Prompter::Buttons buttons, Prompter::Icon icon);

    SpellDocument &doc_;
    Prompter &prompter_;
    QWidget *window_;
    std::function<void()> before_;
    PromptAsker asker_;
    RecentFiles *recent_ = nullptr;
    class CompareWindow *compare_ = nullptr;
};

} // namespace corvantis
