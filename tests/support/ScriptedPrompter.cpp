#include "support/ScriptedPrompter.h"

#include <QTest>

namespace corvantis::test {

void ScriptedPrompter::expect(const QString &text, Buttons buttons, Icon icon, Answer answer) {
    Step step;
    step.message = {text, buttons, icon};
    step.answer = answer;
    script_.push_back(step);
}

void ScriptedPrompter::expectOpen(const QString &path, bool readOnly) {
    Step step;
    step.open = true;
    step.choice = OpenChoice{path, readOnly};
    script_.push_back(step);
}

void ScriptedPrompter::expectOpenCancel() {
    Step step;
    step.open = true;
    script_.push_back(step);
}

QString ScriptedPrompter::pending() const {
    QStringList left;
    for (const Step &s : script_)
        left << (s.open ? QStringLiteral("<open dialog>") : s.message.text);
    return left.join(QStringLiteral(" | "));
}

Prompter::Answer ScriptedPrompter::ask(QWidget *, const QString &text, Buttons buttons, Icon icon) {
    messages.append({text, buttons, icon});
    if (script_.empty() || script_.front().open || !(script_.front().message == messages.last())) {
        const QString what = QStringLiteral("unexpected message: \"%1\" (expected: %2)")
                                 .arg(QString(text).replace('\r', QStringLiteral("\\r")),
                                      script_.empty() ? QStringLiteral("nothing") : pending());
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
        // The safe answer, so the run goes on without changing anything.
        return buttons == Buttons::YesNo ? Answer::No
                                         : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
    }
    const Answer answer = script_.front().answer;
    script_.pop_front();
    return answer;
}

std::optional<Prompter::OpenChoice> ScriptedPrompter::chooseImage(QWidget *,
                                                                  const QString &folder) {
    ++openDialogs;
    openFolder = folder;
    if (script_.empty() || !script_.front().open) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected open dialog (expected: %1)")
                                    .arg(script_.empty() ? QStringLiteral("nothing") : pending())),
                     __FILE__, __LINE__);
        return std::nullopt;
    }
    const std::optional<OpenChoice> choice = script_.front().choice;
    script_.pop_front();
    return choice;
}

} // namespace corvantis::test
