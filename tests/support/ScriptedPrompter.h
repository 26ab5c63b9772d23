#pragma once

#include "ui/Prompter.h"

#include <QTest>

#include <deque>

namespace corvantis::test {

// Answers the editor's questions from a script. A question that nobody
// scripted fails the running test at once.
class ScriptedPrompter : public Prompter {
  public:
    // The next message must be exactly this; it is answered with answer.
    void expect(const QString &text, Buttons buttons, Icon icon, Answer answer) {
        script_.push_back({false, text, buttons, icon, answer, {}});
    }
    // The next file choice: a path (with the read-only box) or a cancel.
    void expectOpen(const QString &path, bool readOnly = false) {
        script_.push_back({true, {}, {}, {}, {}, OpenChoice{path, readOnly}});
    }
    void expectOpenCancel() { script_.push_back({true, {}, {}, {}, {}, {}}); }

    Answer ask(QWidget *parent, const QString &text, Buttons buttons, Icon icon) override {
        return askWithDetail(parent, text, QString(), buttons, icon);
    }
    Answer askWithDetail(QWidget *, const QString &text, const QString &detail, Buttons buttons,
                         Icon icon) override {
        details.append(detail);
        const Step *next = script_.empty() || script_.front().open ? nullptr : &script_.front();
        if (!next || next->text != text || next->buttons != buttons || next->icon != icon) {
            fail("unexpected message: \"" + QString(text).replace('\r', "\\r") + '"');
            // The safe answer, so the run goes on without changing anything.
            return buttons == Buttons::Ok
                       ? Answer::Ok
                       : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
        }
        return take(script_).answer;
    }
    std::optional<OpenChoice> chooseImage(QWidget *, const QString &folder) override {
        openFolder = folder;
        if (script_.empty() || !script_.front().open)
            return fail("unexpected open dialog"), std::nullopt;
        return take(script_).choice;
    }
    // The files Import, Export, Create Patch and Save As ask for; none left: a cancel.
    std::optional<FileChoice> chooseFile(QWidget *, const QString &, const QStringList &, bool,
                                         const QString &start) override {
        fileStarts << start;
        return files.empty() ? std::nullopt : std::optional(take(files));
    }
    std::deque<FileChoice> files;
    QStringList fileStarts; // where each file dialog started

    // Whether every scripted step has been used.
    bool done() const { return script_.empty(); }
    QString pending() const {
        QStringList left;
        for (const Step &s : script_)
            left << (s.open ? QStringLiteral("<open dialog>") : s.text);
        return left.isEmpty() ? QStringLiteral("nothing") : left.join(QStringLiteral(" | "));
    }

    QStringList details; // the line under each message (why a save failed), or ""
    QString openFolder;  // the folder the open dialog last started in

  private:
    struct Step {
        bool open;
        QString text;
        Buttons buttons;
        Icon icon;
        Answer answer;
        std::optional<OpenChoice> choice;
    };
    template <typename T> static T take(std::deque<T> &queue) {
        T first = queue.front();
        queue.pop_front();
        return first;
    }
    void fail(const QString &what) const {
        QTest::qFail(qPrintable(what + " (expected: " + pending() + ')'), __FILE__, __LINE__);
    }
    std::deque<Step> script_;
};

} // namespace corvantis::test
