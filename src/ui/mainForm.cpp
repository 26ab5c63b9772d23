#include "ui/mainForm.h"

#include "data/NameCodec.h"
#include "exchange/Files.h"
#include "exchange/Patch.h"
#include "exchange/SpellExport.h"
#include "exchange/SpellImport.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "ui/AllSpellsWindow.h"
#include "ui/CharacterFilter.h"
#include "ui/FormScale.h"
#include "ui/HelpPage.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"
#include "ui_mainForm.h"

#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTimer>
#include <QValidator>

#include <cmath>

namespace corvantis {

namespace {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

// Fills a list without its handler seeing the intermediate selections, and
// leaves it with nothing selected.
void fillList(QComboBox *box, const QStringList &items) {
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(text);
}

// Shows text in a box. The same text again is left alone, since setting it
// lays the text out and repaints the box anyway; text typed but not applied
// is always replaced.
void showText(QLineEdit *box, const QString &text) {
    if (box->text() != text || box->isModified())
        box->setText(text);
}

} // namespace

mainForm::mainForm(Prompter *prompter, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::mainForm>()), prompter_(prompter),
      helpOpener_(DefaultHelpOpener()) {
    if (!prompter_) {
        ownPrompter_ = std::make_unique<DialogPrompter>();
        prompter_ = ownPrompter_.get();
    }
    ui->setupUi(this);
    setWindowIcon(ProgramIconForStartUp());

    // Text boxes and lists share one fixed-width font (the lists have it
    // from their construction); captions keep the application's.
    for (QLineEdit *box : {ui->txtName, ui->txtRaw, ui->txtByte2})
        box->setFont(FixedFont());
    // First Byte also takes typed values. Its line edit comes here rather
    // than from the form, whose "editable" would build the popup at once;
    // and it has no completer, which would turn a typed "2" into the text of
    // the first item starting with 2.
    auto *byte1Edit = new QLineEdit(ui->cbByte1);
    byte1Edit->setCompleter(new QCompleter(byte1Edit));
    ui->cbByte1->setLineEdit(byte1Edit);
    ui->cbByte1->setCompleter(nullptr);
    ui->cbByte1->setEditText(QStringLiteral("cbByte1"));

    // A fixed frame: no resizing, no maximising, minimising allowed.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Laid out for the default font; a larger one grows the whole form.
    const double scale = FormScale();
    ScaleChildren(ui->centralwidget, scale);
    const QSize client(int(std::lround(294 * scale)), int(std::lround(397 * scale)));
    ui->centralwidget->setFixedSize(client);
    // Font sizes do not grow in exact proportion: a grown caption may need a
    // few more pixels. (At the default font the captions fit as laid out.)
    if (scale > 1)
        FitLabels(ui->centralwidget);
    setFixedSize(client.width(), client.height() + ui->menubar->sizeHint().height());

    connect(ui->menuFileOpen, &QAction::triggered, this, &mainForm::menuFileOpen_Click);
    connect(ui->menuFileSave, &QAction::triggered, this, &mainForm::menuFileSave_Click);
    connect(ui->menuFileExit, &QAction::triggered, this, &mainForm::menuFileExit_Click);
    connect(ui->menuFileImport, &QAction::triggered, this, &mainForm::menuFileImport_Click);
    connect(ui->menuFileExport, &QAction::triggered, this, &mainForm::menuFileExport_Click);
    connect(ui->menuFileCreatePatch, &QAction::triggered, this,
            &mainForm::menuFileCreatePatch_Click);
    connect(ui->menuHelpContents, &QAction::triggered, this, &mainForm::menuHelpContents_Click);
    connect(ui->menuHelpAbout, &QAction::triggered, this, &mainForm::menuHelpAbout_Click);
    connect(ui->menuEditUndo, &QAction::triggered, this, &mainForm::menuEditUndo_Click);
    connect(ui->menuEditRedo, &QAction::triggered, this, &mainForm::menuEditRedo_Click);
    connect(ui->menuEditRevert, &QAction::triggered, this, &mainForm::menuEditRevert_Click);
    connect(ui->menuViewAllSpells, &QAction::triggered, this, &mainForm::menuViewAllSpells_Click);
    ui->menuFileOpen->setShortcuts(QKeySequence::Open);
    ui->menuFileSave->setShortcuts(QKeySequence::Save);
    // Where the platform has no key to quit (it closes windows instead), the
    // desktops' usual one.
    const QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    ui->menuFileExit->setShortcuts(quit.isEmpty() ? QList{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                                                  : quit);
    ui->menuEditUndo->setShortcuts(QKeySequence::Undo);
    ui->menuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    QUndoStack *stack = doc_.undoStack();
    const auto stepNames = [this, stack] {
        ui->menuEditUndo->setEnabled(stack->canUndo());
        ui->menuEditRedo->setEnabled(stack->canRedo());
        const auto named = [](const char *verb, const QString &step) {
            return step.isEmpty() ? QString::fromLatin1(verb) : verb + (' ' + step);
        };
        ui->menuEditUndo->setText(named("&Undo", stack->undoText()));
        ui->menuEditRedo->setText(named("&Redo", stack->redoText()));
    };
    connect(stack, &QUndoStack::indexChanged, this, stepNames);
    connect(stack, &QUndoStack::cleanChanged, this, stepNames);
    stepNames();
    connect(&doc_, &SpellDocument::slotChanged, this, &mainForm::followDocument);
    connect(&doc_, &SpellDocument::marksChanged, this, &mainForm::ShowChangeMarks);

    connect(ui->cbSpellName, &QComboBox::currentIndexChanged, this, &mainForm::cbSpellName_Click);
    connect(ui->cbByte2, &QComboBox::currentIndexChanged, this, &mainForm::cbByte2_Click);
    connect(ui->cbByte3, &QComboBox::currentIndexChanged, this, &mainForm::cbByte3_Click);
    connect(ui->cbByte4, &QComboBox::currentIndexChanged, this, &mainForm::cbByte4_Click);
    connect(ui->cbByte5, &QComboBox::currentIndexChanged, this, &mainForm::cbByte5_Click);
    connect(ui->cbByte6, &QComboBox::currentIndexChanged, this, &mainForm::cbByte6_Click);
    connect(ui->cbByte7, &QComboBox::currentIndexChanged, this, &mainForm::cbByte7_Click);
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
    // Ctrl+Z and its kin mean the document's history wherever the focus is;
    // the boxes' own undo would make edits behind the user's back.
    for (QLineEdit *edit : {ui->txtName, ui->txtByte2, ui->cbByte1->lineEdit()})
        edit->installEventFilter(this);

    // Each caption names its field for screen readers, and its access key
    // moves the focus there; the selector and the name box have no caption.
    const std::pair<QLabel *, QWidget *> captions[] = {
        {ui->lblRaw, ui->txtRaw},    {ui->lblByte4, ui->cbByte4}, {ui->lblByte5, ui->cbByte5},
        {ui->lblByte2, ui->cbByte2}, {ui->lblByte3, ui->cbByte3}, {ui->lblByte6, ui->cbByte6},
        {ui->lblByte7, ui->cbByte7}, {ui->lblByte1, ui->cbByte1}};
    for (const auto &[caption, field] : captions)
        caption->setBuddy(field);
    // A combo box is named by its caption's relation only, so the selector
    // has a caption that is never shown.
    auto *spellCaption = new QLabel(QStringLiteral("Spell"), ui->centralwidget);
    spellCaption->setObjectName(QStringLiteral("lblSpellName"));
    spellCaption->hide();
    spellCaption->setBuddy(ui->cbSpellName);
    ui->txtName->setAccessibleName(QStringLiteral("Name"));
    ui->txtRaw->setAccessibleName(QStringLiteral("Raw Data"));

    // An image file dropped from a file manager opens as Open would.
    setAcceptDrops(true);

    // The wheel only turns a list the user is working in: passing over the
    // window must not edit a spell.
    for (QComboBox *box : findChildren<QComboBox *>()) {
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
    }
}

mainForm::~mainForm() = default;

int mainForm::slot() const {
    return ui->cbSpellName->currentIndex();
}

Prompter::Answer mainForm::ask(const QString &text, Buttons buttons, Icon icon) {
    return prompter_->ask(this, text, buttons, icon);
}

void mainForm::reportFailure(const QString &text, const QString &reason) {
    prompter_->askWithDetail(this, text, reason, Buttons::Ok, Icon::Critical);
}

// ---- start-up and file commands ----

void mainForm::Form_Load(const QString &imagePath) {
    show();
    fill_cbs();
    if (imagePath.isEmpty())
        menuFileOpen_Click();
    else
        openImage(imagePath, false);
    ui->cbSpellName->setFocus();
}

void mainForm::fill_cbs() {
    fillList(ui->cbSpellName, SlotLabels());
    for (QComboBox *box :
         {ui->cbByte1, ui->cbByte3, ui->cbByte4, ui->cbByte5, ui->cbByte6, ui->cbByte7}) {
        const int n = box->objectName().back().digitValue();
        fillList(box, FieldItems(n));
    }
}

void mainForm::applyPendingText() {
    // Only First Byte holds typed text back until Enter; the number and name
    // boxes store on every change.
    if (ui->cbByte1->lineEdit()->isModified())
        cbByte1_Change();
}

void mainForm::menuFileOpen_Click() {
    applyPendingText();
    if (doc_.store().FileChanged &&
        ask(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    // The dialog starts where the open image is; a cancel changes nothing.
    const QString image = doc_.module().ImagePath();
    const QString folder = image.isEmpty() ? QDir::currentPath() : QFileInfo(image).absolutePath();
    if (const auto choice = prompter_->chooseImage(this, folder))
        openImage(choice->path, choice->readOnly);
}

void mainForm::openChosen(const QString &path, bool readOnly) {
    applyPendingText();
    if (doc_.store().FileChanged &&
        ask(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    openImage(path, readOnly);
}

bool mainForm::openImage(const QString &path, bool readOnly) {
    // A failed load leaves the previous image, its path and its marks in place.
    QString reason;
    if (!doc_.module().ReadSpells(path, &reason)) {
        reportFailure(texts::ErrorReading, reason);
        return false;
    }
    doc_.module().ReadOnlyROM = readOnly;
    // The file as the kernel found it: the one Save will write.
    const QString shown = doc_.module().ImagePath();
    ui->lblFilenameData->setText(shown);
    ui->lblFilenameData->setToolTip(readOnly ? shown + '\n' + texts::ReadOnlyTip : shown);
    ui->lblReadOnly->setVisible(readOnly);
    doc_.loaded();
    // Slot 0 is shown afresh even when it was already selected.
    if (slot() == 0)
        cbSpellName_Click();
    else
        ui->cbSpellName->setCurrentIndex(0);
    return true;
}

void mainForm::menuFileSave_Click() {
    applyPendingText();
    if (!doc_.store().FileChanged) {
        ask(texts::NothingChanged, Buttons::Ok, Icon::Information);
        return;
    }
    // The user asked for this image not to be changed: saving would change it.
    if (doc_.store().ReadOnlyROM) {
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        return;
    }
    const QString path = ui->lblFilenameData->text();
    if (ask(texts::SaveQuestion(path), Buttons::YesNo, Icon::Question) != Answer::Yes)
        return;
    // Another program's change is replaced only when the user says so.
    const bool changed = doc_.module().ChangedOnDisk();
    if (changed && ask(texts::ChangedByOther, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    QString reason;
    if (!doc_.module().WriteSpells(path, &reason, changed)) {
        reportFailure(texts::ErrorWriting, reason);
        return;
    }
    doc_.saved();
}

void mainForm::menuFileExit_Click() {
    applyPendingText();
    if (doc_.store().FileChanged &&
        ask(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    exitConfirmed_ = true;
    close();
}

void mainForm::closeEvent(QCloseEvent *event) {
    // The close box asks as Exit does, so that unsaved edits are never lost
    // without a question; text still being typed counts as typed.
    if (!exitConfirmed_)
        applyPendingText();
    if (!exitConfirmed_ && doc_.store().FileChanged &&
        ask(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning) != Answer::Yes) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    event->accept();
}

void mainForm::menuFileImport_Click() {
    applyPendingText();
    if (slot() < 0)
        return;
    const auto choice =
        prompter_->chooseFile(this, texts::ImportTitle, texts::ImportFilters, false);
    if (!choice)
        return;
    const SpellImport read = ReadSpellsFile(choice->path);
    if (!read.ok()) {
        ask(read.error, Buttons::Ok, Icon::Critical);
        return;
    }
    QList<QPair<int, SpellRecord>> records;
    bool special = false;
    for (const SpellChange &change : read.changes) {
        const bool record = ChangesRecord(doc_.store(), change);
        if (!record && !ChangesName(doc_.store(), change))
            continue;
        special = special || (record && doc_.store().IsSpecial(change.slot));
        MainModule changed = doc_.store();
        ApplyChange(changed, change);
        SpellRecord r;
        for (int n = 1; n <= FieldCount; ++n)
            r.bytes[n - 1] = changed.SpellBytes(change.slot, n);
        r.name = changed.SpellNames[change.slot];
        records.append({change.slot, r});
    }
    if (records.isEmpty())
        return;
    // One edit through the guard: refused on a read-only image, asked once
    // when it changes the record of a special slot.
    if (doc_.store().ReadOnlyROM) {
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        return;
    }
    if (special && ask(texts::SpecialSlot, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    ownEdit([&] { doc_.setRecords(records, texts::ImportStep); });
    ShowSpell();
}

void mainForm::menuFileExport_Click() {
    applyPendingText();
    if (slot() < 0)
        return;
    const auto choice = prompter_->chooseFile(this, texts::ExportTitle, texts::ExportFilters, true);
    if (!choice)
        return;
    // The extension decides; without one, the chosen filter does.
    QString path = choice->path;
    if (QFileInfo(path).suffix().isEmpty())
        path += choice->filter == 1 ? QStringLiteral(".csv") : QStringLiteral(".json");
    QString why;
    if (!SaveWholeFile(path, ExportSpells(ExportFormatOf(path), doc_.store()), &why))
        reportFailure(texts::ErrorWriting, why);
}

void mainForm::menuFileCreatePatch_Click() {
    applyPendingText();
    if (slot() < 0)
        return;
    const auto original =
        prompter_->chooseFile(this, texts::PatchOriginalTitle, {texts::OpenFilter}, false);
    if (!original)
        return;
    const auto patch =
        prompter_->chooseFile(this, texts::PatchFileTitle, texts::PatchFilters, true);
    if (!patch)
        return;
    QString path = patch->path;
    if (!PatchFormatOf(path))
        path += patch->filter == 1 ? QStringLiteral(".ips") : QStringLiteral(".bps");
    // The image as Save would write it now, unsaved edits included.
    QString why;
    const auto file = ReadWholeFile(ui->lblFilenameData->text(), &why);
    std::optional<QByteArray> target = file;
    if (target && !PutRegions(*target, RegionsOf(doc_.store().records())))
        target.reset();
    if (!target) {
        reportFailure(texts::ErrorReading, why);
        return;
    }
    const bool tooLarge =
        target->size() > IpsSizeLimit || QFileInfo(original->path).size() > IpsSizeLimit;
    if (*PatchFormatOf(path) == PatchFormat::Ips && tooLarge) {
        if (ask(texts::IpsTooLarge, Buttons::YesNo, Icon::Warning) != Answer::Yes)
            return;
        path = path.chopped(4) + QStringLiteral(".bps");
    }
    if (!CreatePatchFile(original->path, *target, path, &why))
        reportFailure(texts::ErrorWriting, why);
}

void mainForm::menuHelpContents_Click() {
    const QString page = FindHelpPage();
    const QUrl url =
        page.isEmpty() ? QUrl(QString::fromLatin1(BuiltInHelpPage)) : QUrl::fromLocalFile(page);
    if (!page.isEmpty() && helpOpener_ && helpOpener_(url))
        return;
    // The desktop cannot show the page: the program's own window does.
    if (!help_) {
        help_ = new QTextBrowser(this);
        help_->setObjectName(QStringLiteral("helpWindow"));
        help_->setWindowFlag(Qt::Window);
        help_->setWindowTitle(texts::HelpTitle);
        help_->setOpenExternalLinks(true);
        help_->resize(QSize(640, 560) * FormScale());
    }
    help_->setSource(url);
    help_->show();
    help_->raise();
    help_->activateWindow();
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
    ShowChangeMarks();
    ShowSpell();
}

void mainForm::ShowSpell() {
    const int s = slot();
    if (s < 0)
        return;
    ShowRawData();
    showText(ui->txtName, DecodeName(doc_.store().SpellNames[s]));
    // Effect before byte 2: the byte-2 field follows the Effect field's choice.
    ui->cbByte4->setCurrentIndex(DecodeField(4, doc_.store().SpellBytes(s, 4)).index);
    ui->cbByte5->setCurrentIndex(DecodeField(5, doc_.store().SpellBytes(s, 5)).index);
    SetupEffectivenessField();
    ui->cbByte3->setCurrentIndex(DecodeField(3, doc_.store().SpellBytes(s, 3)).index);
    ui->cbByte6->setCurrentIndex(DecodeField(6, doc_.store().SpellBytes(s, 6)).index);
    ui->cbByte7->setCurrentIndex(DecodeField(7, doc_.store().SpellBytes(s, 7)).index);
    const DecodedField first = DecodeField(1, doc_.store().SpellBytes(s, 1));
    ui->cbByte1->setCurrentIndex(first.index);
    // Also when the index did not change: the box may hold half-typed text.
    showText(ui->cbByte1->lineEdit(),
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
    showText(ui->txtRaw, raw);
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
        fillList(ui->cbByte2, EffectivenessItems(e));
        if (s >= 0)
            ui->cbByte2->setCurrentIndex(DecodeField(2, doc_.store().SpellBytes(s, 2), e).index);
    } else {
        ui->cbByte2->hide();
        ui->txtByte2->show();
        if (s >= 0)
            showText(ui->txtByte2, DecodeField(2, doc_.store().SpellBytes(s, 2), e).text);
    }
}

// ---- the change guard ----

bool mainForm::ConfirmSpellChange(bool isNameChange) {
    const int s = slot();
    if (s < 0)
        return false;
    bool allowed = true;
    if (doc_.store().SpellBytes(s, 1) == SpecialFirstByte && !isNameChange) {
        if (ask(texts::SpecialSlot, Buttons::YesNo, Icon::Warning) != Answer::Yes) {
            allowed = false;
            ShowSpell();
        }
    } else if (doc_.store().ReadOnlyROM) {
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        allowed = false;
        ShowSpell();
    }
    // An allowed edit marks the slot and the file as it lands in the
    // document's history (ShowChangeMarks).
    return allowed;
}

void mainForm::ShowChangeMarks() {
    const int s = slot();
    ui->lblSpellChanged->setVisible(s >= 0 && doc_.store().SpellChanged[s]);
    ui->lblFileChanged->setVisible(doc_.store().FileChanged);
    ui->menuEditRevert->setEnabled(s >= 0 && doc_.record(s) != doc_.savedRecord(s));
}

void mainForm::selectSlot(int s) {
    if (slot() == s)
        cbSpellName_Click();
    else
        ui->cbSpellName->setCurrentIndex(s);
}

void mainForm::followDocument(int s) {
    // The window's own edits show themselves; an undo or a redo brings its
    // slot into view.
    if (!inOwnEdit_)
        selectSlot(s);
    ShowChangeMarks();
}

void mainForm::menuViewAllSpells_Click() {
    if (!allSpells_) {
        allSpells_ = new AllSpellsWindow(doc_, this);
        connect(allSpells_, &AllSpellsWindow::slotActivated, this, [this](int s) {
            selectSlot(s);
            raise();
            activateWindow();
        });
        connect(allSpells_, &AllSpellsWindow::cellEdited, this, &mainForm::editFromTable);
    }
    allSpells_->show();
    allSpells_->raise();
    allSpells_->activateWindow();
}

void mainForm::editFromTable(int s, int n, const QVariant &value) {
    // The same edit as in this window: the slot is selected and the value
    // goes into the field's own control, whose handler asks and stores.
    applyPendingText();
    selectSlot(s);
    if (n == 0) {
        ui->txtName->setText(value.toString());
    } else if (n == 1) {
        ui->cbByte1->lineEdit()->setText(value.toString());
        cbByte1_Change();
    } else if (n == 2 && !IsEffectivenessList(ui->cbByte5->currentIndex())) {
        ui->txtByte2->setText(value.toString());
    } else {
        findChild<QComboBox *>(QStringLiteral("cbByte%1").arg(n))->setCurrentIndex(value.toInt());
    }
}

void mainForm::menuEditUndo_Click() {
    // Typed First Byte text not yet applied is the newest change: undoing
    // it puts the stored byte back into the box.
    if (ui->cbByte1->lineEdit()->isModified())
        ShowSpell();
    else
        doc_.undoStack()->undo();
}

void mainForm::menuEditRedo_Click() {
    doc_.undoStack()->redo();
}

void mainForm::menuEditRevert_Click() {
    applyPendingText();
    const int s = slot();
    if (s < 0 || doc_.record(s) == doc_.savedRecord(s))
        return;
    if (!ConfirmSpellChange(false))
        return;
    ownEdit([&] { doc_.setRecords({{s, doc_.savedRecord(s)}}, "Revert " + SlotLabels().at(s)); });
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
            ownEdit([&] { doc_.setByte(s, 2, *v); });
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

bool mainForm::event(QEvent *event) {
    // The icon's other sizes are decoded after the first frame, not before.
    if (event->type() == QEvent::Paint && !fullIcon_) {
        fullIcon_ = true;
        QTimer::singleShot(0, this, [this] { setWindowIcon(ProgramIcon()); });
    }
    return QMainWindow::event(event);
}

namespace {

// The file a drop brings, when it brings one local file and nothing else.
QString droppedFile(const QMimeData *data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

// Takes a drag that brings one file; anything else is refused.
void weighDrag(QDragMoveEvent *event) {
    if (droppedFile(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

} // namespace

void mainForm::dragEnterEvent(QDragEnterEvent *event) {
    weighDrag(event);
}

void mainForm::dragMoveEvent(QDragMoveEvent *event) {
    weighDrag(event);
}

void mainForm::dropEvent(QDropEvent *event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Questions are asked once the drop is over, not while the file manager
    // waits for its end.
    QTimer::singleShot(0, this, [this, path] { openChosen(path, false); });
}

bool mainForm::eventFilter(QObject *watched, QEvent *event) {
    // A file dragged over a text box opens as the window's own drop; text
    // dragged there is the box's.
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
        event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!droppedFile(drop->mimeData()).isEmpty()) {
            if (event->type() == QEvent::Drop)
                dropEvent(drop);
            else
                weighDrag(static_cast<QDragMoveEvent *>(event));
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (const QAction *a : {ui->menuEditUndo, ui->menuEditRedo})
            for (const QKeySequence &k : a->shortcuts())
                if (QKeySequence(key->keyCombination()) == k) {
                    event->ignore();
                    return true;
                }
    }
    if (event->type() == QEvent::Wheel) {
        auto *box = qobject_cast<QComboBox *>(watched);
        if (box && !box->hasFocus())
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
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

} // namespace corvantis
