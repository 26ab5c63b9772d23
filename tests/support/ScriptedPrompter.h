#pragma once

#include "ui/Prompter.h"

#include <QList>
#include <QString>

#include <deque>

namespace corvantis::test {

// Answers the editor's questions from a script and records every message in
// order. A question that nobody scripted fails the running test at once.
class ScriptedPrompter : public Prompter {
  public:
    struct Message {
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::Information;
        bool operator==(const Message &o) const {
            return text == o.text && buttons == o.buttons && icon == o.icon;
        }
    };

    // The next message must be exactly this; it is answered with answer.
    void expect(const QString &text, Buttons buttons, Icon icon, Answer answer);
    // The next file choice: a path (with the read-only box) or a cancel.
    void expectOpen(const QString &path, bool readOnly = false);
    void expectOpenCancel();

    Answer ask(QWidget *parent, const QString &text, Buttons buttons, Icon icon) override;
    Answer askWithDetail(QWidget *parent, const QString &text, const QString &detail,
                         Buttons buttons, Icon icon) override {
        const Answer answer = ask(parent, text, buttons, icon);
        details.last() = detail;
        return answer;
    }
    std::optional<OpenChoice> chooseImage(QWidget *parent, const QString &folder) override;
    // Files for Import, Export and Create Patch: answered from files, in
    // order; none left means a cancel.
    std::optional<FileChoice> chooseFile(QWidget *, const QString &, const QStringList &,
                                         bool) override {
        if (files.empty())
            return std::nullopt;
        const FileChoice next = files.front();
        files.pop_front();
        return next;
    }
    std::deque<FileChoice> files;

    // Whether every scripted step has been used.
    bool done() const { return script_.empty(); }
    QString pending() const;

    QList<Message> messages; // every message shown, in order
    QStringList details;     // the line under each message (why a save failed), or ""
    int openDialogs = 0;     // how often the open dialog was shown
    QString openFolder;      // the folder it last started in

  private:
    struct Step {
        bool open = false;
        Message message;
        Answer answer = Answer::Ok;
        std::optional<OpenChoice> choice;
    };
    std::deque<Step> script_;
};

} // namespace corvantis::test
