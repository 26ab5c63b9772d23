#include "ui/FileCommands.h"

#include "data/FileNames.h"
#include "fields/FieldLists.h"
#include "ui/CompareWindow.h"
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

void FileCommands::report(const Outcome &outcome, const QString &failure, QWidget *over) {
    QWidget *const parent = over ? over : window_;
    switch (outcome.status) {
    case Outcome::Done:
        if (!outcome.warning.isEmpty())
            prompter_.askWithDetail(parent, texts::SavedWithWarning, outcome.warning, Buttons::Ok,
                                    Icon::Warning);
        break;
    case Outcome::Cancelled:
        break;
    case Outcome::Guarded:
        // The guard's refusal is its own message, as in the fields.
        prompter_.ask(parent, outcome.reason, Buttons::OkCancel, Icon::Warning);
        break;
    case Outcome::Refused:
    case Outcome::Failed:
        prompter_.askWithDetail(parent, failure, outcome.reason, Buttons::Ok, Icon::Critical);
        break;
    }
}

void FileCommands::sayChanged(const QList<int> &taken, QWidget *over) {
    QStringList labels;
    for (int slot : taken)
        labels.append(SlotLabels().value(slot));
    prompter_.ask(over, texts::SpellsChanged(labels), Buttons::Ok, Icon::Information);
}

bool FileCommands::mayDiscardChanges(const QString &question) {
    before_();
    return !doc_.fileChanged() || ask(question, Buttons::YesNo, Icon::Warning) == Answer::Yes;
}

void FileCommands::setRecentMenu(QMenu *menu) {
    recent_ = new RecentFiles(menu, window_);
    connect(recent_, &RecentFiles::chosen, this,
            [this](const QString &path) { openChosen(path, false); });
}

QString FileCommands::besideImage(const QString &suffix) const {
    const QFileInfo image(doc_.path());
    return suffix.isEmpty() ? image.absolutePath()
                            : image.dir().filePath(image.completeBaseName() + '.' + suffix);
}

void FileCommands::open() {
    if (!mayDiscardChanges(texts::UnsavedOpen))
        return;
    // The dialog starts where the open image is, else where the last one
    // was; a cancel changes nothing.
    QString folder = doc_.isOpen() ? besideImage({}) : QString();
    if (folder.isEmpty() && recent_)
        folder = recent_->lastFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::currentPath();
    if (const auto choice = prompter_.chooseImage(window_, folder))
        openImage(choice->path, choice->readOnly);
}

void FileCommands::openChosen(const QString &path, bool readOnly) {
    if (mayDiscardChanges(texts::UnsavedOpen))
        openImage(path, readOnly);
}

void FileCommands::openImage(const QString &path, bool readOnly) {
    // A failed load leaves the previous image, its path and its marks in place.
    const Outcome opened = doc_.open(path, readOnly, asker_);
    if (opened.ok() && recent_)
        recent_->add(doc_.path());
    report(opened, texts::ErrorReading);
}

void FileCommands::save() {
    before_();
    if (!doc_.fileChanged()) {
        ask(texts::NothingChanged, Buttons::Ok, Icon::Information);
        return;
    }
    // A save that cannot be made is said before asking whether to make it.
    if (doc_.readOnly() || ask(texts::SaveQuestion(DisplayFileName(doc_.path())), Buttons::YesNo,
                               Icon::Question) == Answer::Yes)
        report(doc_.save(asker_), texts::ErrorWriting);
}

void FileCommands::saveAs() {
    before_();
    if (!doc_.isOpen())
        return;
    int filter = 0;
    const auto path =
        chooseOutput(texts::SaveAsTitle, {texts::OpenFilter}, {QStringLiteral("nes")}, filter);
    if (!path)
        return;
    const Outcome saved = doc_.saveAs(*path, asker_);
    if (saved.ok() && recent_)
        recent_->add(doc_.path());
    report(saved, texts::ErrorWriting);
}

void FileCommands::import(const std::function<void()> &shown) {
    before_();
    if (!doc_.isOpen())
        return;
    const auto choice = prompter_.chooseFile(window_, texts::ImportTitle, texts::ImportFilters,
                                             false, besideImage(QStringLiteral("json")));
    if (!choice)
        return;
    const SpellDocument::ImportPlan plan = doc_.planImport(choice->path);
    if (!plan.error.isEmpty()) {
        ask(plan.error, Buttons::Ok, Icon::Critical);
        return;
    }
    QList<int> taken;
    const Outcome outcome = doc_.applyImport(plan, asker_, &taken);
    if (shown)
        shown();
    report(outcome, texts::ErrorReading);
    if (outcome.ok())
        sayChanged(taken, window_);
}

std::optional<QString> FileCommands::chooseOutput(const QString &title, const QStringList &filters,
                                                  const QStringList &suffixes, int &filter) {
    const auto choice =
        prompter_.chooseFile(window_, title, filters, true, besideImage(suffixes.constFirst()));
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
    const auto original = prompter_.chooseFile(window_, texts::PatchOriginalTitle,
                                               {texts::OpenFilter}, false, besideImage({}));
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

void FileCommands::compare() {
    before_();
    if (!doc_.isOpen())
        return;
    if (const auto choice = prompter_.chooseFile(window_, texts::CompareTitle,
                                                 texts::CompareFilters, false, besideImage({})))
        compareWith(choice->path);
}

void FileCommands::compareWith(const QString &path) {
    before_();
    if (!doc_.isOpen())
        return;
    QByteArray file;
    Comparison comparison = doc_.compareWith(path, &file);
    if (!comparison.ok()) {
        prompter_.askWithDetail(window_, texts::ErrorReading, comparison.error, Buttons::Ok,
                                Icon::Critical);
        return;
    }
    const bool placed = compare_;
    if (!compare_) {
        compare_ = new CompareWindow(doc_, window_);
        connect(compare_, &CompareWindow::takeRequested, this, &FileCommands::take);
    }
    compare_->compareWith(file, std::move(comparison));
    if (!placed)
        compare_->placeBeside(window_);
    compare_->show();
    compare_->raise();
    compare_->activateWindow();
}

void FileCommands::take() {
    before_();
    // A copy: the comparison window follows the session as the take lands.
    const Comparison comparison = compare_->comparison();
    PromptAsker asker(prompter_, compare_);
    QList<int> taken;
    const Outcome outcome = doc_.take(comparison, compare_->chosen(), asker, &taken);
    report(outcome, texts::ErrorWriting, compare_);
    if (outcome.ok())
        sayChanged(taken, compare_);
}

void FileCommands::openDropped(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("json") || suffix == QLatin1String("ips") ||
        suffix == QLatin1String("bps"))
        compareWith(path);
    else
        openChosen(path, false);
}

} // namespace corvantis
