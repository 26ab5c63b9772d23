#include "ui/Prompter.h"

#include "ui/Texts.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace corvantis {

namespace {

// A check box whose access key ticks it at once. Qt's own ticks it only at the
// end of a short press animation, so an Enter typed right after the access
// key would accept the dialog with the box still unticked.
class ImmediateCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    bool event(QEvent *e) override {
        if (e->type() == QEvent::Shortcut) {
            setFocus(Qt::ShortcutFocusReason);
            click();
            return true;
        }
        return QCheckBox::event(e);
    }
};

} // namespace

Prompter::Answer DialogPrompter::ask(QWidget *parent, const QString &text, Buttons buttons,
                                     Icon icon) {
    return askWithDetail(parent, text, QString(), buttons, icon);
}

Prompter::Answer DialogPrompter::askWithDetail(QWidget *parent, const QString &text,
                                               const QString &detail, Buttons buttons, Icon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(texts::AppTitle);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(detail);
    // A path in the detail is text, whatever it holds; Qt would guess at
    // markup there.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    QPushButton *first = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        first = box.addButton(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        first = box.addButton(QMessageBox::Ok);
        box.addButton(QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        first = box.addButton(QMessageBox::Yes);
        box.addButton(QMessageBox::No);
        if (buttons == Buttons::YesNoCancel)
            box.addButton(QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(first);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Escape or the close button: the safe answer of the set.
        return buttons == Buttons::YesNo ? Answer::No
                                         : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
    case QMessageBox::Cancel:
        return Answer::Cancel;
    }
}

Reply PromptAsker::ask(Question question, const QString &detail) {
    using Buttons = Prompter::Buttons;
    using Icon = Prompter::Icon;
    Prompter::Answer answer = Prompter::Answer::No;
    switch (question) {
    case Question::ReplaceOutsideChanges:
        answer = prompter_.ask(parent_, texts::ChangedByOther, Buttons::YesNo, Icon::Warning);
        break;
    case Question::ChangeSpecialSlot:
        answer = prompter_.ask(parent_, texts::SpecialSlot, Buttons::YesNo, Icon::Warning);
        break;
    case Question::ChangeSpecialSlots:
        answer = prompter_.ask(parent_, texts::SpecialSlots, Buttons::YesNoCancel, Icon::Warning);
        break;
    case Question::RestoreInterruptedSave:
        answer = prompter_.askWithDetail(parent_, texts::InterruptedSave, detail, Buttons::YesNo,
                                         Icon::Warning);
        break;
    case Question::PatchAsBps:
        answer = prompter_.ask(parent_, texts::IpsTooLarge, Buttons::YesNo, Icon::Warning);
        break;
    }
    switch (answer) {
    case Prompter::Answer::Yes:
        return Reply::Yes;
    case Prompter::Answer::No:
        return Reply::No;
    default:
        return Reply::Cancel;
    }
}

std::optional<Prompter::OpenChoice> DialogPrompter::chooseImage(QWidget *parent,
                                                                const QString &folder) {
    QFileDialog dialog(parent, texts::OpenTitle, folder);
    // Qt's own dialog, so that it can carry the read-only box.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(texts::OpenFilter);
    auto *readOnly = new ImmediateCheckBox(texts::OpenReadOnly, &dialog);
    readOnly->setObjectName("openReadOnly");
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(readOnly, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return OpenChoice{dialog.selectedFiles().constFirst(), readOnly->isChecked()};
}

std::optional<Prompter::FileChoice>
DialogPrompter::chooseFile(QWidget *parent, const QString &title, const QStringList &filters,
                           bool forWriting, const QString &start) {
    const QFileInfo suggested(start);
    const bool named = !start.isEmpty() && !suggested.isDir();
    QFileDialog dialog(parent, title, named ? suggested.absolutePath() : start);
    dialog.setAcceptMode(forWriting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forWriting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (named) {
        dialog.selectFile(suggested.fileName());
        // Another type chosen: the suggested name takes its suffix ("(*.csv)").
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &f) {
            auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            const QString typed = name ? name->text() : suggested.fileName();
            const QString suffix = f.section(QStringLiteral("*."), 1).section(')', 0, 0);
            if (!typed.isEmpty() && !suffix.isEmpty())
                dialog.selectFile(QFileInfo(typed).completeBaseName() + '.' + suffix);
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FileChoice{dialog.selectedFiles().constFirst(),
                      int(filters.indexOf(dialog.selectedNameFilter()))};
}

} // namespace corvantis
