#include "ui/mainForm.h"

#include "data/FileNames.h"
#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "ui/AllSpellsWindow.h"
#include "ui/CharacterFilter.h"
#include "ui/EditCommands.h"
#include "ui/FileCommands.h"
#include "ui/FileDrop.h"
#include "ui/FormSetup.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"
#include "ui_mainForm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace corvantis {

namespace {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

} // namespace

mainForm::mainForm(Prompter *prompter, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::mainForm>()),
      prompter_(prompter ? prompter : (ownPrompter_ = std::make_unique<DialogPrompter>()).get()),
      files_(new FileCommands(doc_, *prompter_, this, [this] { applyPendingText(); })),
      edits_(new EditCommands(
          doc_, *files_, [this] { return choice(); }, this)),
      helpOpener_(DefaultHelpOpener()) {
    ui->setupUi(this);
    setWindowIcon(ProgramIconForStartUp());
    SetUpForm(*ui, *this);

    const std::pair<QAction *, void (mainForm::*)()> commands[] = {
        {ui->menuFileOpen, &mainForm::menuFileOpen_Click},
        {ui->menuFileSave, &mainForm::menuFileSave_Click},
        {ui->menuFileExit, &mainForm::menuFileExit_Click},
        {ui->menuFileImport, &mainForm::menuFileImport_Click},
        {ui->menuHelpContents, &mainForm::menuHelpContents_Click},
        {ui->menuHelpAbout, &mainForm::menuHelpAbout_Click},
        {ui->menuEditUndo, &mainForm::menuEditUndo_Click},
        {ui->menuEditRedo, &mainForm::menuEditRedo_Click},
        {ui->menuEditRevert, &mainForm::menuEditRevert_Click},
        {ui->menuEditCopy, &mainForm::menuEditCopy_Click},
        {ui->menuEditPaste, &mainForm::menuEditPaste_Click},
        {ui->menuViewAllSpells, &mainForm::menuViewAllSpells_Click}};
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
    for (const auto &[action, command] : {std::pair{ui->menuFileSaveAs, &FileCommands::saveAs},
                                          {ui->menuFileExport, &FileCommands::exportSpells},
                                          {ui->menuFileCreatePatch, &FileCommands::createPatch},
                                          {ui->menuFileCompare, &FileCommands::compare}})
        connect(action, &QAction::triggered, files_, command);
    files_->setRecentMenu(ui->menuFileRecent);
    connect(ui->menuEdit, &QMenu::aboutToShow, this,
            [this] { ui->menuEditRevert->setEnabled(edits_->canRevert()); });
    BindHistory(*doc_.undoStack(), *ui->menuEditUndo, *ui->menuEditRedo);
    connect(&doc_, &SpellDocument::slotChanged, this, &mainForm::followDocument);
    connect(&doc_, &SpellDocument::marksChanged, this, &mainForm::ShowChangeMarks);
    connect(&doc_, &SpellDocument::reloaded, this, &mainForm::showImage);
    connect(&doc_, &SpellDocument::pathChanged, this, &mainForm::showPath);

    connect(ui->cbSpellName, &QComboBox::currentIndexChanged, this, &mainForm::cbSpellName_Click);
    const std::pair<QComboBox *, void (mainForm::*)()> lists[] = {
        {ui->cbByte2, &mainForm::cbByte2_Click}, {ui->cbByte3, &mainForm::cbByte3_Click},
        {ui->cbByte4, &mainForm::cbByte4_Click}, {ui->cbByte5, &mainForm::cbByte5_Click},
        {ui->cbByte6, &mainForm::cbByte6_Click}, {ui->cbByte7, &mainForm::cbByte7_Click}};
    for (const auto &[box, handler] : lists)
        connect(box, &QComboBox::currentIndexChanged, this, handler);
    connect(ui->txtByte2, &QLineEdit::textChanged, this, &mainForm::txtByte2_Change);
    connect(ui->txtName, &QLineEdit::textChanged, this, &mainForm::txtName_Change);
    // First Byte: a pick counts at once; typed text counts on Enter or when
    // the box loses the focus, never half-typed.
    connect(ui->cbByte1, &QComboBox::activated, this, &mainForm::cbByte1_Change);
    connect(ui->cbByte1->lineEdit(), &QLineEdit::editingFinished, this, &mainForm::cbByte1_Change);
    ui->txtName->setValidator(new CharacterFilter(
        [this](char16_t c) {
            txtName_KeyPress(c);
            return c != 0;
        },
        ui->txtName));
    GuardFields(*this, {ui->txtName, ui->txtByte2, ui->cbByte1->lineEdit()},
                {ui->menuEditUndo, ui->menuEditRedo});

    // An image file dropped from a file manager opens as Open would; a patch
    // or a spell file opens its comparison.
    auto *drop = new FileDrop(this);
    for (QWidget *w : std::initializer_list<QWidget *>{this, ui->txtName, ui->txtByte2, ui->txtRaw,
                                                       ui->cbByte1->lineEdit()})
        drop->watch(w);
    connect(drop, &FileDrop::dropped, files_, &FileCommands::openDropped);
}

mainForm::~mainForm() = default;

int mainForm::slot() const {
    return ui->cbSpellName->currentIndex();
}

Prompter::Answer mainForm::ask(const QString &text, Buttons buttons, Icon icon) {
    return prompter_->ask(this, text, buttons, icon);
}

// ---- start-up and file commands ----

void mainForm::Form_Load(const QString &imagePath) {
    show();
    fill_cbs();
    if (imagePath.isEmpty())
        menuFileOpen_Click();
    else
        files_->openImage(imagePath, false);
    ui->cbSpellName->setFocus();
}

void mainForm::fill_cbs() {
    FillList(ui->cbSpellName, SlotLabels());
    for (QComboBox *box :
         {ui->cbByte1, ui->cbByte3, ui->cbByte4, ui->cbByte5, ui->cbByte6, ui->cbByte7}) {
        const int n = box->objectName().back().digitValue();
        FillList(box, FieldItems(n));
    }
}

void mainForm::applyPendingText() {
    // Only First Byte holds typed text back until Enter; the number and name
    // boxes store on every change.
    if (ui->cbByte1->lineEdit()->isModified())
        cbByte1_Change();
}

void mainForm::showPath() {
    // The file as the kernel found it: the one Save will write.
    const QString shown = DisplayFileName(doc_.path());
    ui->lblFilenameData->setText(shown);
    ui->lblFilenameData->setToolTip(doc_.readOnly() ? shown + '\n' + texts::ReadOnlyTip : shown);
    ui->lblReadOnly->setVisible(doc_.readOnly());
}

void mainForm::showImage() {
    showPath();
    // Slot 0 is shown afresh even when it was already selected.
    selectSlot(0);
}

void mainForm::menuFileOpen_Click() {
    files_->open();
}

void mainForm::menuFileSave_Click() {
    files_->save();
}

void mainForm::menuFileExit_Click() {
    if (!files_->mayDiscardChanges(texts::UnsavedQuit))
        return;
    exitConfirmed_ = true;
    close();
}

void mainForm::closeEvent(QCloseEvent *event) {
    // The close box asks as Exit does, so that unsaved edits are never lost
    // without a question; text still being typed counts as typed.
    if (!exitConfirmed_ && !files_->mayDiscardChanges(texts::UnsavedQuit)) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    event->accept();
}

void mainForm::menuFileImport_Click() {
    // The slots it changes do not take the selection away; they show before its message.
    ownEdit([this] { files_->import([this] { ShowSpell(); }); });
}

void mainForm::menuHelpContents_Click() {
    ShowHelp(this, helpOpener_, help_);
}

void mainForm::menuHelpAbout_Click() {
    if (!about_)
        about_ = new ::aboutForm(this);
    about_->exec();
}

// ---- showing a slot ----

void mainForm::cbSpellName_Click() {
    const int s = slot();
    if (s < 0)
        return;
    // Typing in another slot is another step.
    doc_.endTyping();
    ShowChangeMarks();
    ShowSpell();
}

void mainForm::ShowSpell() {
    const int s = slot();
    if (s < 0)
        return;
    const MainModule &m = doc_.store();
    ShowRawData();
    ShowText(ui->txtName, DecodeName(m.SpellNames[s]));
    // Effect before byte 2: the byte-2 field follows the Effect field's choice.
    ui->cbByte4->setCurrentIndex(DecodeField(4, m.SpellBytes(s, 4)).index);
    ui->cbByte5->setCurrentIndex(DecodeField(5, m.SpellBytes(s, 5)).index);
    SetupEffectivenessField();
    ui->cbByte3->setCurrentIndex(DecodeField(3, m.SpellBytes(s, 3)).index);
    ui->cbByte6->setCurrentIndex(DecodeField(6, m.SpellBytes(s, 6)).index);
    ui->cbByte7->setCurrentIndex(DecodeField(7, m.SpellBytes(s, 7)).index);
    const DecodedField first = DecodeField(1, m.SpellBytes(s, 1));
    ui->cbByte1->setCurrentIndex(first.index);
    // Also when the index did not change: the box may hold half-typed text.
    ShowText(ui->cbByte1->lineEdit(),
             first.index >= 0 ? ui->cbByte1->itemText(first.index) : first.text);
}

void mainForm::ShowRawData() {
    const int s = slot();
    if (s < 0)
        return;
    QString raw;
    for (int n = 1; n <= FieldCount; ++n)
        raw += QStringLiteral("%1 ")
                   .arg(doc_.store().SpellBytes(s, n), 2, 16, QLatin1Char('0'))
                   .toUpper();
    ShowText(ui->txtRaw, raw);
}

void mainForm::SetupEffectivenessField() {
    const int e = ui->cbByte5->currentIndex();
    const int s = slot();
    // The caption names whichever of the two is shown (set only on a change:
    // a new buddy relays the caption out and moves its access key).
    QWidget *const field =
        IsEffectivenessList(e) ? static_cast<QWidget *>(ui->cbByte2) : ui->txtByte2;
    if (ui->lblByte2->buddy() != field)
        ui->lblByte2->setBuddy(field);
    if (IsEffectivenessList(e)) {
        ui->txtByte2->hide();
        ui->cbByte2->show();
        FillList(ui->cbByte2, EffectivenessItems(e));
        if (s >= 0)
            ui->cbByte2->setCurrentIndex(DecodeField(2, doc_.store().SpellBytes(s, 2), e).index);
    } else {
        ui->cbByte2->hide();
        ui->txtByte2->show();
        if (s >= 0)
            ShowText(ui->txtByte2, DecodeField(2, doc_.store().SpellBytes(s, 2), e).text);
    }
}

// ---- the change guard ----

bool mainForm::ConfirmSpellChange(bool isNameChange) {
    const int s = slot();
    if (s < 0)
        return false;
    bool allowed = true;
    switch (doc_.guard(s, isNameChange)) {
    case SpellDocument::Guard::AskSpecial:
        allowed = ask(texts::SpecialSlot, Buttons::YesNo, Icon::Warning) == Answer::Yes;
        break;
    case SpellDocument::Guard::ReadOnly:
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        allowed = false;
        break;
    case SpellDocument::Guard::Allowed:
        break;
    }
    // A refusal shows the slot as stored again (an allowed edit is marked by the history).
    if (!allowed)
        ShowSpell();
    return allowed;
}

void mainForm::ShowChangeMarks() {
    const int s = slot();
    ui->lblSpellChanged->setVisible(s >= 0 && doc_.spellChanged(s));
    ui->lblFileChanged->setVisible(doc_.fileChanged());
    ui->menuEditRevert->setEnabled(s >= 0 && doc_.record(s) != doc_.savedRecord(s));
}

void mainForm::selectSlot(int s) {
    if (slot() == s)
        cbSpellName_Click();
    else
        ui->cbSpellName->setCurrentIndex(s);
}

void mainForm::followDocument(int s) {
    // The window's own edits show themselves; an undo, a redo or an edit in
    // the table brings its slot into view.
    if (!inOwnEdit_)
        selectSlot(s);
    ShowChangeMarks();
}

void mainForm::menuViewAllSpells_Click() {
    if (!allSpells_) {
        allSpells_ = new AllSpellsWindow(doc_, {ui->menuFile, ui->menuEdit},
                                         {ui->menuHelpContents, ui->menuViewAllSpells}, this);
        connect(allSpells_, &AllSpellsWindow::slotActivated, this, [this](int s) {
            selectSlot(s);
            raise();
            activateWindow();
        });
        connect(allSpells_, &AllSpellsWindow::cellEdited, this, &mainForm::editFromTable);
    }
    allSpells_->showBeside(this);
}

SlotChoice mainForm::choice() const {
    // The active window's: the table's cells, or this window's slot.
    if (allSpells_ && allSpells_->isActiveWindow())
        return allSpells_->choice();
    return slot() < 0 ? SlotChoice() : SlotChoice{{slot()}, -1};
}

void mainForm::editFromTable(int s, int n, const QVariant &value) {
    // Through the session's guard, as an edit in this window's fields.
    applyPendingText();
    files_->report(doc_.editField(s, n, value, files_->asker()), texts::ErrorWriting);
}

void mainForm::menuEditUndo_Click() {
    // Typed First Byte text not yet applied counts as typed, as for every
    // command: it is applied, and then undone.
    applyPendingText();
    doc_.undoStack()->undo();
}

void mainForm::menuEditRedo_Click() {
    applyPendingText();
    doc_.undoStack()->redo();
}

void mainForm::menuEditRevert_Click() {
    edits_->revert();
}

void mainForm::menuEditCopy_Click() {
    edits_->copy();
}

void mainForm::menuEditPaste_Click() {
    // The slots it changes do not take the selection away.
    ownEdit([this] { edits_->paste(); });
    ShowSpell();
}

// ---- field edits ----

void mainForm::listFieldClicked(int n, QComboBox *box) {
    const int s = slot();
    const int i = box->currentIndex();
    // No slot yet, or a list being emptied: nothing to compare with.
    if (s < 0 || i < 0)
        return;
    const int e = n == 2 ? ui->cbByte5->currentIndex() : -1;
    if (n == 2 && !IsEffectivenessList(e))
        return;
    const quint8 b = doc_.store().SpellBytes(s, n);
    const std::optional<quint8> v = EncodeField(n, i, e);
    if (!v) {
        // "Invalid Value" over a valid byte turns into a pick of the first
        // item, which the nested run handles as any pick.
        if (IsValidValue(n, b, e)) {
            box->setCurrentIndex(0);
            return;
        }
    } else if (*v != b && ConfirmSpellChange(false)) {
        ownEdit([&] { doc_.setByte(s, n, *v); });
    }
    ShowRawData();
    if (n == 5)
        SetupEffectivenessField();
}

void mainForm::cbByte2_Click() {
    listFieldClicked(2, ui->cbByte2);
}
void mainForm::cbByte3_Click() {
    listFieldClicked(3, ui->cbByte3);
}
void mainForm::cbByte4_Click() {
    listFieldClicked(4, ui->cbByte4);
}
void mainForm::cbByte5_Click() {
    listFieldClicked(5, ui->cbByte5);
}
void mainForm::cbByte6_Click() {
    listFieldClicked(6, ui->cbByte6);
}
void mainForm::cbByte7_Click() {
    listFieldClicked(7, ui->cbByte7);
}

void mainForm::txtByte2_Change() {
    const int s = slot();
    if (s < 0)
        return;
    const std::optional<quint8> v = ReadNumber(ui->txtByte2->text());
    if (v) {
        if (*v != doc_.store().SpellBytes(s, 2) && ConfirmSpellChange(false))
            ownEdit([&] { doc_.setByte(s, 2, *v, true); });
        ShowRawData();
        return;
    }
    // The reset to 0 is an edit of its own (handled by the nested run).
    ui->txtByte2->setText(QStringLiteral("0"));
    ask(texts::OutOfRange, Buttons::OkCancel, Icon::Warning);
}

void mainForm::cbByte1_Change() {
    const int s = slot();
    // The range message takes the focus from the box, which finishes its
    // editing again; that second run has nothing new to say.
    if (s < 0 || inByte1Edit_)
        return;
    inByte1Edit_ = true;
    const std::optional<quint8> v = EncodeField(1, ui->cbByte1->currentText());
    if (!v)
        ask(texts::OutOfRange, Buttons::OkCancel, Icon::Warning);
    else if (*v != doc_.store().SpellBytes(s, 1) && ConfirmSpellChange(false))
        ownEdit([&] { doc_.setByte(s, 1, *v); });
    ShowSpell();
    inByte1Edit_ = false;
}

// ---- name edits ----

void mainForm::txtName_KeyPress(char16_t &keyCode) {
    constexpr char16_t Backspace = 8;
    if (keyCode != Backspace && !IsNameCharacter(QChar(keyCode)))
        keyCode = 0;
}

void mainForm::txtName_Change() {
    const int s = slot();
    if (s < 0)
        return;
    if (ui->txtName->text() == DecodeName(doc_.store().SpellNames[s]))
        return;
    // Names hold four characters; the newest typing wins.
    if (ui->txtName->text().size() >= NameLength)
        ui->txtName->setText(ui->txtName->text().right(NameLength));
    if (ConfirmSpellChange(true))
        ownEdit([&] { doc_.setName(s, EncodeName(ui->txtName->text())); });
    // The box shows what is stored, whatever was typed or pasted.
    ui->txtName->setText(DecodeName(doc_.store().SpellNames[s]));
}

// ---- window events ----

bool mainForm::event(QEvent *event) {
    // The icon's other sizes are decoded after the first frame, not before
    // (a posted call, which runs after what was posted before it, where a
    // zero timer may run first or later).
    if (event->type() == QEvent::Paint && !fullIcon_) {
        fullIcon_ = true;
        QMetaObject::invokeMethod(
            this, [this] { setWindowIcon(ProgramIcon()); }, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

} // namespace corvantis
