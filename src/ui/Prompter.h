#pragma once

#include "document/Outcome.h"

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace corvantis {

// Every question the editor asks and every message it shows goes through one
// Prompter, as does the choice of an image to open, so that tests can answer
// them from a script.
class Prompter {
  public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { Information, Question, Warning, Critical };
    enum class Answer { Ok, Cancel, Yes, No };

    struct OpenChoice {
        QString path;
        bool readOnly = false;
    };

    virtual ~Prompter() = default;

    // Shows a modal message titled with the program's name; the first button
    // (OK or Yes) is the default.
    virtual Answer ask(QWidget *parent, const QString &text, Buttons buttons, Icon icon) = 0;

    // The same with a line of detail under the text, such as why a file
    // could not be read or written. Where no detail can be shown, the text
    // alone is.
    virtual Answer askWithDetail(QWidget *parent, const QString &text, const QString &detail,
                                 Buttons buttons, Icon icon) {
        (void)detail;
        return ask(parent, text, buttons, icon);
    }

    // Asks for an existing image to open, starting in folder; nothing when
    // the user cancels.
    virtual std::optional<OpenChoice> chooseImage(QWidget *parent, const QString &folder) = 0;

    struct FileChoice {
        QString path;
        int filter = 0; // the index of the chosen filter
    };
    // Asks for a file to read (an existing one) or to write, starting at
    // start (a folder, or a file in it to suggest); nothing when the user
    // cancels.
    virtual std::optional<FileChoice> chooseFile(QWidget *parent, const QString &title,
                                                 const QStringList &filters, bool forWriting,
                                                 const QString &start) = 0;
};

// The real dialogs.
class DialogPrompter : public Prompter {
  public:
    Answer ask(QWidget *parent, const QString &text, Buttons buttons, Icon icon) override;
    // The detail is the box's informative text.
    Answer askWithDetail(QWidget *parent, const QString &text, const QString &detail,
                         Buttons buttons, Icon icon) override;
    std::optional<OpenChoice> chooseImage(QWidget *parent, const QString &folder) override;
    // A suggested name follows the chosen filter's suffix.
    std::optional<FileChoice> chooseFile(QWidget *parent, const QString &title,
                                         const QStringList &filters, bool forWriting,
                                         const QString &start) override;
};

// The session's questions put to the user through a prompter, over parent.
class PromptAsker : public Asker {
  public:
    PromptAsker(Prompter &prompter, QWidget *parent) : prompter_(prompter), parent_(parent) {}
    Reply ask(Question question, const QString &detail) override;

  private:
    Prompter &prompter_;
    QWidget *parent_;
};

} // namespace corvantis
