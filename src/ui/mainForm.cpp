#include "ui/mainForm.h"

#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "ui/HelpPage.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"
#include "ui_mainForm.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace corvantis {

namespace {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

constexpr quint8 SpecialFirstByte = 0xFF;

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

} // namespace

mainForm::mainForm(Prompter *prompter, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::mainForm>()), prompter_(prompter),
      helpOpener_(DefaultHelpOpener()) {
    if (!prompter_) {
        ownPrompter_ = std::make_unique<DialogPrompter>();
        prompter_ = ownPrompter_.get();
    }
    ui->setupUi(this);
    setWindowIcon(ProgramIcon());

    // Text and list controls share one fixed-width font; labels keep the
    // default one.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    const QList<QWidget *> boxes{ui->cbSpellName, ui->txtName,  ui->txtRaw,  ui->cbByte1,
                                 ui->cbByte2,     ui->txtByte2, ui->cbByte3, ui->cbByte4,
                                 ui->cbByte5,     ui->cbByte6,  ui->cbByte7};
    for (QWidget *w : boxes)
        w->setFont(fixed);
    ui->cbByte1->setEditText(QStringLiteral("cbByte1"));
    ui->cbByte1->setCompleter(nullptr);

    // A fixed frame: no resizing, no maximising, minimising allowed.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    ui->centralwidget->setFixedSize(294, 397);
    setFixedSize(294, 397 + ui->menubar->sizeHint().height());

    connect(ui->menuFileOpen, &QAction::triggered, this, &mainForm::menuFileOpen_Click);
    connect(ui->menuFileSave, &QAction::triggered, this, &mainForm::menuFileSave_Click);
    connect(ui->menuFileExit, &QAction::triggered, this, &mainForm::menuFileExit_Click);
    connect(ui->menuHelpContents, &QAction::triggered, this, &mainForm::menuHelpContents_Click);
    connect(ui->menuHelpAbout, &QAction::triggered, this, &mainForm::menuHelpAbout_Click);

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
    ui->txtName->installEventFilter(this);
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

void mainForm::menuFileOpen_Click() {
    if (store_.FileChanged && ask(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    // A cancelled dialog changes nothing.
    if (const auto choice = prompter_->chooseImage(this))
        openImage(choice->path, choice->readOnly);
}

bool mainForm::openImage(const QString &path, bool readOnly) {
    // A failed load leaves the previous image, its path and its marks in place.
    QString reason;
    if (!store_.ReadSpells(path, &reason)) {
        reportFailure(texts::ErrorReading, reason);
        return false;
    }
    store_.ReadOnlyROM = readOnly;
    // The file as the kernel found it: the one Save will write.
    const QString shown = store_.ImagePath();
    ui->lblFilenameData->setText(shown);
    ui->lblFilenameData->setToolTip(shown);
    ClearChangeFlags();
    // Slot 0 is shown afresh even when it was already selected.
    if (slot() == 0)
        cbSpellName_Click();
    else
        ui->cbSpellName->setCurrentIndex(0);
    return true;
}

void mainForm::menuFileSave_Click() {
    if (!store_.FileChanged) {
        ask(texts::NothingChanged, Buttons::Ok, Icon::Information);
        return;
    }
    // The user asked for this image not to be changed: saving would change it.
    if (store_.ReadOnlyROM) {
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        return;
    }
    const QString path = ui->lblFilenameData->text();
    if (ask(texts::SaveQuestion(path), Buttons::YesNo, Icon::Question) != Answer::Yes)
        return;
    // Another program's change is replaced only when the user says so.
    const bool changed = store_.ChangedOnDisk();
    if (changed && ask(texts::ChangedByOther, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    QString reason;
    if (!store_.WriteSpells(path, &reason, changed)) {
        reportFailure(texts::ErrorWriting, reason);
        return;
    }
    ClearChangeFlags();
}

void mainForm::menuFileExit_Click() {
    if (store_.FileChanged && ask(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning) != Answer::Yes)
        return;
    exitConfirmed_ = true;
    close();
}

void mainForm::closeEvent(QCloseEvent *event) {
    // The close box asks as Exit does, so that unsaved edits are never lost
    // without a question.
    if (!exitConfirmed_ && store_.FileChanged &&
        ask(texts::UnsavedQuit, Buttons::YesNo, Icon::Warning) != Answer::Yes) {
        event->ignore();
        return;
    }
    exitConfirmed_ = true;
    event->accept();
}

void mainForm::menuHelpContents_Click() {
    const QString page = FindHelpPage();
    if (!page.isEmpty() && helpOpener_)
        helpOpener_(QUrl::fromLocalFile(page));
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
    ui->lblSpellChanged->setVisible(store_.SpellChanged[s]);
    ShowSpell();
}

void mainForm::ShowSpell() {
    const int s = slot();
    if (s < 0)
        return;
    ShowRawData();
    ui->txtName->setText(DecodeName(store_.SpellNames[s]));
    // Effect before byte 2: the byte-2 field follows the Effect field's choice.
    ui->cbByte4->setCurrentIndex(DecodeField(4, store_.SpellBytes(s, 4)).index);
    ui->cbByte5->setCurrentIndex(DecodeField(5, store_.SpellBytes(s, 5)).index);
    SetupEffectivenessField();
    ui->cbByte3->setCurrentIndex(DecodeField(3, store_.SpellBytes(s, 3)).index);
    ui->cbByte6->setCurrentIndex(DecodeField(6, store_.SpellBytes(s, 6)).index);
    ui->cbByte7->setCurrentIndex(DecodeField(7, store_.SpellBytes(s, 7)).index);
    const DecodedField first = DecodeField(1, store_.SpellBytes(s, 1));
    ui->cbByte1->setCurrentIndex(first.index);
    // Also when the index did not change: the box may hold half-typed text.
    ui->cbByte1->setEditText(first.index >= 0 ? ui->cbByte1->itemText(first.index) : first.text);
}

void mainForm::ShowRawData() {
    const int s = slot();
    if (s < 0)
        return;
    QString raw;
    for (int n = 1; n <= FieldCount; ++n)
        raw +=
            QStringLiteral("%1 ").arg(store_.SpellBytes(s, n), 2, 16, QLatin1Char('0')).toUpper();
    ui->txtRaw->setText(raw);
}

void mainForm::SetupEffectivenessField() {
    const int e = ui->cbByte5->currentIndex();
    const int s = slot();
    if (IsEffectivenessList(e)) {
        ui->txtByte2->hide();
        ui->cbByte2->show();
        fillList(ui->cbByte2, EffectivenessItems(e));
        if (s >= 0)
            ui->cbByte2->setCurrentIndex(DecodeField(2, store_.SpellBytes(s, 2), e).index);
    } else {
        ui->cbByte2->hide();
        ui->txtByte2->show();
        if (s >= 0)
            ui->txtByte2->setText(DecodeField(2, store_.SpellBytes(s, 2), e).text);
    }
}

// ---- the change guard ----

bool mainForm::ConfirmSpellChange(bool isNameChange) {
    const int s = slot();
    if (s < 0)
        return false;
    bool allowed = true;
    if (store_.SpellBytes(s, 1) == SpecialFirstByte && !isNameChange) {
        if (ask(texts::SpecialSlot, Buttons::YesNo, Icon::Warning) != Answer::Yes) {
            allowed = false;
            ShowSpell();
        }
    } else if (store_.ReadOnlyROM) {
        ask(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning);
        allowed = false;
        ShowSpell();
    }
    if (allowed) {
        store_.SpellChanged[s] = true;
        ui->lblSpellChanged->show();
        store_.FileChanged = true;
        ui->lblFileChanged->show();
    }
    return allowed;
}

void mainForm::ClearChangeFlags() {
    ui->lblFileChanged->hide();
    ui->lblSpellChanged->hide();
    store_.FileChanged = false;
    store_.SpellChanged.fill(false);
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
    const quint8 b = store_.SpellBytes(s, n);
    const std::optional<quint8> v = EncodeField(n, i, e);
    if (!v) {
        // "Invalid Value" over a valid byte turns into a pick of the first
        // item, which the nested run handles as any pick.
        if (IsValidValue(n, b, e)) {
            box->setCurrentIndex(0);
            return;
        }
    } else if (*v != b && ConfirmSpellChange(false)) {
        store_.SpellBytes(s, n) = *v;
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
        if (*v != store_.SpellBytes(s, 2) && ConfirmSpellChange(false))
            store_.SpellBytes(s, 2) = *v;
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
    else if (*v != store_.SpellBytes(s, 1) && ConfirmSpellChange(false))
        store_.SpellBytes(s, 1) = *v;
    ShowSpell();
    inByte1Edit_ = false;
}

// ---- name edits ----

void mainForm::txtName_KeyPress(char16_t &keyCode) {
    constexpr char16_t Backspace = 8;
    if (keyCode != Backspace && !IsNameCharacter(QChar(keyCode)))
        keyCode = 0;
}

bool mainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui->txtName && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Focus moves, shortcuts (copy, paste, select all, undo) and keys
        // that type nothing (arrows, Delete, Home, End) are not typing.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
            key->key() == Qt::Key_Delete ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        for (QChar c : key->text()) {
            char16_t code = c.unicode();
            txtName_KeyPress(code);
            if (code == 0)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void mainForm::txtName_Change() {
    const int s = slot();
    if (s < 0)
        return;
    if (ui->txtName->text() == DecodeName(store_.SpellNames[s]))
        return;
    // Names hold four characters; the newest typing wins.
    if (ui->txtName->text().size() >= NameLength)
        ui->txtName->setText(ui->txtName->text().right(NameLength));
    if (ConfirmSpellChange(true))
        store_.SpellNames[s] = EncodeName(ui->txtName->text());
    else
        ui->txtName->setText(DecodeName(store_.SpellNames[s]));
}

} // namespace corvantis
