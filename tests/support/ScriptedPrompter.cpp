#include "support/ScriptedPrompter.h"

#include <QTest>

namespace corvantis::test {

void ScriptedPrompter::expect(const QString &text, Buttons buttons, Icon icon, Answer answer) {
    script_.push_back({false, {text, buttons, icon}, answer, std::nullopt});
}

void ScriptedPrompter::expectOpen(const QString &path, bool readOnly) {
    script_.push_back({true, {}, Answer::Ok, OpenChoice{path, readOnly}});
}

void ScriptedPrompter::expectOpenCancel() {
    script_.push_back({true, {}, Answer::Ok, std::nullopt});
}

QString ScriptedPrompter::pending() const {
    QStringList left;
    for (const Step &s : script_)
        left << (s.open ? QStringLiteral("<open dialog>") : s.message.text);
    return left.isEmpty() ? QStringLiteral("nothing") : left.join(QStringLiteral(" | "));
}

Prompter::Answer ScriptedPrompter::ask(QWidget *, const QString &text, Buttons buttons, Icon icon) {
    messages.append({text, buttons, icon});
    details.append(QString());
    if (script_.empty() || script_.front().open || !(script_.front().message == messages.last())) {
        QTest::qFail(
            qPrintable(QStringLiteral("unexpected message: \"%1\" (expected: %2)")
                           .arg(QString(text).replace('\r', QStringLiteral("\\r")), pending())),
            __FILE__, __LINE__);
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
        QTest::qFail(qPrintable("unexpected open dialog (expected: " + pending() + ")"), __FILE__,
                     __LINE__);
        return std::nullopt;
    }
    const std::optional<OpenChoice> choice = script_.front().choice;
    script_.pop_front();
    return choice;
}

} // namespace corvantis::test
