#include "ui/FileCommands.h"

#include "ui/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace corvantis {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

FileCommands::FileCommands(SpellDocument &doc, Prompter &prompter, QWidget *window,
                           std::function<void()> before)
    : QObject(window), doc_(doc), prompter_(prompter), window_(window), before_(std::move(before)),
      asker_(prompter, window) {}

Prompter::Answer FileCommands::ask(const QString &text, Buttons buttons, Icon icon) {
    return prompter_.ask(window_, text, buttons, icon);
}

void FileCommands::report(const Outcome &outcome, const QString &failure) {
    switch (outcome.status) {
    case Outcome::Done:
        if (!outcome.warning.isEmpty())
            prompter_.askWithDetail(window_, texts::SavedWithWarning, outcome.warning, Buttons::Ok,
                                    Icon::Warning);
        break;
    case Outcome::Cancelled:
        break;
    case Outcome::Refused:
        // The guard's refusal of an edit is its own message, as in the fields.
        if (outcome.reason == texts::ReadOnlyImage || outcome.reason == texts::OutOfRange) {
            ask(outcome.reason, Buttons::OkCancel, Icon::Warning);
            break;
        }
        [[fallthrough]];
    case Outcome::Failed:
        prompter_.askWithDetail(window_, failure, outcome.reason, Buttons::Ok, Icon::Critical);
        break;
    }
}

bool FileCommands::mayDiscardChanges(const QString &question) {
    before_();
    return !doc_.fileChanged() || ask(question, Buttons::YesNo, Icon::Warning) == Answer::Yes;
}

void FileCommands::open() {
    if (!mayDiscardChanges(texts::UnsavedOpen))
        return;
    // The dialog starts where the open image is; a cancel changes nothing.
    const QString folder =
        doc_.isOpen() ? QFileInfo(doc_.path()).absolutePath() : QDir::currentPath();
    if (const auto choice = prompter_.chooseImage(window_, folder))
        openImage(choice->path, choice->readOnly);
}

void FileCommands::openChosen(const QString &path, bool readOnly) {
    if (mayDiscardChanges(texts::UnsavedOpen))
        openImage(path, readOnly);
}

void FileCommands::openImage(const QString &path, bool readOnly) {
    // A failed load leaves the previous image, its path and its marks in place.
    report(doc_.open(path, readOnly, asker_), texts::ErrorReading);
}

void FileCommands::save() {
    before_();
    if (!doc_.fileChanged()) {
        ask(texts::NothingChanged, Buttons::Ok, Icon::Information);
        return;
    }
    // A save that cannot be made is said before asking whether to make it.
    if (doc_.readOnly() ||
        ask(texts::SaveQuestion(doc_.path()), Buttons::YesNo, Icon::Question) == Answer::Yes)
        report(doc_.save(asker_), texts::ErrorWriting);
}

void FileCommands::import() {
    before_();
    if (!doc_.isOpen())
        return;
    const auto choice =
        prompter_.chooseFile(window_, texts::ImportTitle, texts::ImportFilters, false);
    if (!choice)
        return;
    const SpellDocument::ImportPlan plan = doc_.planImport(choice->path);
    if (!plan.error.isEmpty()) {
        ask(plan.error, Buttons::Ok, Icon::Critical);
        return;
    }
    report(doc_.applyImport(plan, asker_), texts::ErrorReading);
}

std::optional<QString> FileCommands::chooseOutput(const QString &title, const QStringList &filters,
                                                  const QStringList &suffixes, int &filter) {
    const auto choice = prompter_.chooseFile(window_, title, filters, true);
    if (!choice)
        return std::nullopt;
    const int known = int(suffixes.indexOf(QFileInfo(choice->path).suffix().toLower()));
    filter = known >= 0 ? known : std::max(0, choice->filter);
    return known >= 0 ? choice->path : choice->path + QLatin1Char('.') + suffixes.at(filter);
}

void FileCommands::exportSpells() {
    before_();
    if (!doc_.isOpen())
        return;
    int filter = 0;
    const auto path = chooseOutput(texts::ExportTitle, texts::ExportFilters,
                                   {QStringLiteral("json"), QStringLiteral("csv")}, filter);
    if (path)
        report(doc_.exportTo(*path, filter == 1 ? ExportFormat::Csv : ExportFormat::Json),
               texts::ErrorWriting);
}

void FileCommands::createPatch() {
    before_();
    if (!doc_.isOpen())
        return;
    const auto original =
        prompter_.chooseFile(window_, texts::PatchOriginalTitle, {texts::OpenFilter}, false);
    if (!original)
        return;
    int filter = 0;
    const auto path = chooseOutput(texts::PatchFileTitle, texts::PatchFilters,
                                   {QStringLiteral("bps"), QStringLiteral("ips")}, filter);
    if (path)
        report(doc_.createPatch(original->path, *path,
                                filter == 1 ? PatchFormat::Ips : PatchFormat::Bps, asker_),
               texts::ErrorWriting);
}

} // namespace corvantis
