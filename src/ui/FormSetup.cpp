#include "ui/FormSetup.h"

#include "ui/FormScale.h"
#include "ui_mainForm.h"

#include <QAction>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QUndoStack>

#include <cmath>

namespace corvantis {

namespace {

class FieldGuard : public QObject {
  public:
    FieldGuard(QList<QAction *> history, QObject *parent)
        : QObject(parent), history_(std::move(history)) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence key(static_cast<QKeyEvent *>(event)->keyCombination());
            for (const QAction *a : history_)
                if (a->shortcuts().contains(key)) {
                    event->ignore();
                    return true;
                }
        }
        if (event->type() == QEvent::Wheel) {
            auto *box = qobject_cast<QComboBox *>(watched);
            if (box && !box->hasFocus())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QList<QAction *> history_;
};

} // namespace

void FillList(QComboBox *box, const QStringList &items) {
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(text);
}

void ShowText(QLineEdit *box, const QString &text) {
    if (box->text() != text || box->isModified())
        box->setText(text);
}

void GuardFields(QMainWindow &window, const QList<QLineEdit *> &boxes,
                 const QList<QAction *> &history) {
    auto *guard = new FieldGuard(history, &window);
    for (QLineEdit *box : boxes)
        box->installEventFilter(guard);
    for (QComboBox *box : window.findChildren<QComboBox *>()) {
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(guard);
    }
}

void SetUpForm(Ui::mainForm &ui, QMainWindow &window) {
    // Text boxes and lists share one fixed-width font (the lists have it
    // from their construction); captions keep the application's.
    for (QLineEdit *box : {ui.txtName, ui.txtRaw, ui.txtByte2})
        box->setFont(FixedFont());
    // First Byte also takes typed values. Its line edit comes here rather
    // than from the form, whose "editable" would build the popup at once;
    // and it has no completer, which would turn a typed "2" into the text of
    // the first item starting with 2.
    auto *byte1Edit = new QLineEdit(ui.cbByte1);
    byte1Edit->setCompleter(new QCompleter(byte1Edit));
    ui.cbByte1->setLineEdit(byte1Edit);
    ui.cbByte1->setCompleter(nullptr);
    ui.cbByte1->setEditText(QStringLiteral("cbByte1"));

    // A fixed frame: no resizing, no maximising, minimising allowed.
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    // Laid out for the default font; a larger one grows the whole form.
    const double scale = FormScale();
    ScaleChildren(ui.centralwidget, scale);
    const QSize client(int(std::lround(294 * scale)), int(std::lround(397 * scale)));
    ui.centralwidget->setFixedSize(client);
    // Font sizes do not grow in exact proportion: a grown caption may need a
    // few more pixels. (At the default font the captions fit as laid out.)
    if (scale > 1)
        FitLabels(ui.centralwidget);
    window.setFixedSize(client.width(), client.height() + ui.menubar->sizeHint().height());

    // Each caption names its field for screen readers, and its access key
    // moves the focus there; the selector and the name box have no caption.
    const std::pair<QLabel *, QWidget *> captions[] = {
        {ui.lblRaw, ui.txtRaw},    {ui.lblByte4, ui.cbByte4}, {ui.lblByte5, ui.cbByte5},
        {ui.lblByte2, ui.cbByte2}, {ui.lblByte3, ui.cbByte3}, {ui.lblByte6, ui.cbByte6},
        {ui.lblByte7, ui.cbByte7}, {ui.lblByte1, ui.cbByte1}};
    for (const auto &[caption, field] : captions)
        caption->setBuddy(field);
    // A combo box on Linux is named by its caption's relation only (its name
    // there is its text), so the selector has a caption that is never shown.
    auto *spellCaption = new QLabel(QStringLiteral("Spell"), ui.centralwidget);
    spellCaption->setObjectName(QStringLiteral("lblSpellName"));
    spellCaption->hide();
    spellCaption->setBuddy(ui.cbSpellName);
    ui.cbSpellName->setAccessibleName(spellCaption->text());
    ui.txtName->setAccessibleName(QStringLiteral("Name"));
    ui.txtRaw->setAccessibleName(QStringLiteral("Raw Data"));
    byte1Edit->setAccessibleName(QStringLiteral("First Byte"));

    ui.menuFileOpen->setShortcuts(QKeySequence::Open);
    ui.menuFileSave->setShortcuts(QKeySequence::Save);
    ui.menuFileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ui.menuEditCopy->setShortcuts(QKeySequence::Copy);
    ui.menuEditPaste->setShortcuts(QKeySequence::Paste);
    // Where the platform has no key to quit (it closes windows instead), the
    // desktops' usual one.
    const QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    ui.menuFileExit->setShortcuts(quit.isEmpty() ? QList{QKeySequence(Qt::CTRL | Qt::Key_Q)}
                                                 : quit);
    ui.menuEditUndo->setShortcuts(QKeySequence::Undo);
    ui.menuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
}

void BindHistory(QUndoStack &stack, QAction &undo, QAction &redo) {
    const auto stepNames = [s = &stack, u = &undo, r = &redo] {
        u->setEnabled(s->canUndo());
        r->setEnabled(s->canRedo());
        const auto named = [](const char *verb, const QString &step) {
            return step.isEmpty() ? QString::fromLatin1(verb) : verb + (' ' + step);
        };
        u->setText(named("&Undo", s->undoText()));
        r->setText(named("&Redo", s->redoText()));
    };
    QObject::connect(&stack, &QUndoStack::indexChanged, &undo, stepNames);
    QObject::connect(&stack, &QUndoStack::cleanChanged, &undo, stepNames);
    stepNames();
}

void AddCloseKeys(QWidget *window) {
    auto *close = new QAction(window);
    close->setObjectName(QStringLiteral("closeWindow"));
    QList<QKeySequence> keys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence &k : QKeySequence::keyBindings(QKeySequence::Close))
        if (!keys.contains(k))
            keys << k;
    close->setShortcuts(keys);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    window->addAction(close);
}

QRect PlaceBeside(QSize wanted, const QRect &main, QSize border, const QRect &screen) {
    QSize size = wanted.boundedTo(screen.size() - border);
    const int right = screen.right() - main.right() - border.width();
    const int left = main.left() - screen.left() - border.width();
    int x = screen.right() + 1 - size.width() - border.width(); // over it, at the edge
    if (right >= size.width()) {
        x = main.right() + 1;
    } else if (left >= size.width()) {
        x = main.left() - size.width() - border.width();
    } else if (std::max(left, right) >= wanted.width() / 3) {
        // Narrower, on the side with more room; the columns scroll.
        size.setWidth(std::max(left, right));
        x = right >= left ? main.right() + 1 : screen.left();
    }
    const int lowest = screen.bottom() + 1 - size.height() - border.height();
    return {QPoint(x, std::clamp(main.top(), screen.top(), std::max(screen.top(), lowest))), size};
}

void PlaceBeside(QWidget &window, QSize wanted, const QWidget &beside) {
    const QRect main = beside.frameGeometry();
    const QRect placed = PlaceBeside(wanted, main, main.size() - beside.size(),
                                     beside.screen()->availableGeometry());
    window.resize(placed.size());
    window.move(placed.topLeft());
}

} // namespace corvantis
