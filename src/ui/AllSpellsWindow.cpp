#include "ui/AllSpellsWindow.h"

#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "ui/CharacterFilter.h"
#include "ui/FormSetup.h"
#include "ui/RecentFiles.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvantis {

namespace {

// The items of a list field as the main window fills it, or none where the
// field is typed (byte 2 under an effect without a list).
QStringList itemsOf(int n, int effect) {
    return n == 2 ? EffectivenessItems(effect) : FieldItems(n);
}

// Edits a cell with the control kind of the main window's field.
class CellDelegate : public QStyledItemDelegate {
  public:
    CellDelegate(const SpellTableModel *model, QObject *parent)
        : QStyledItemDelegate(parent), model_(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override {
        const int n = SpellTableModel::byteNumber(index.column());
        const QStringList items = itemsOf(n, model_->effectIndex(slotOf(index)));
        if (n == 0 || items.isEmpty()) {
            auto *edit = new QLineEdit(parent);
            if (n == 0)
                edit->setValidator(new CharacterFilter(
                    [](char16_t c) { return IsNameCharacter(QChar(c)); }, edit));
            return edit;
        }
        auto *box = new QComboBox(parent);
        box->addItems(items);
        if (n == 1) {
            box->setEditable(true);
            box->setCompleter(nullptr);
        }
        return box;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        const QString shown = index.data().toString();
        if (auto *box = qobject_cast<QComboBox *>(editor)) {
            box->setCurrentIndex(box->findText(shown));
            if (box->isEditable())
                box->setEditText(shown);
        } else {
            static_cast<QLineEdit *>(editor)->setText(shown);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override {
        QVariant value;
        if (auto *box = qobject_cast<QComboBox *>(editor))
            value =
                box->isEditable() ? QVariant(box->currentText()) : QVariant(box->currentIndex());
        else
            value = static_cast<QLineEdit *>(editor)->text();
        model->setData(index, value, Qt::EditRole);
    }

  private:
    static int slotOf(const QModelIndex &index) {
        return index.data(SpellTableModel::SortRole + 1).toInt();
    }
    const SpellTableModel *model_;
};

constexpr int SlotRole = SpellTableModel::SortRole + 1;
const QString SizeKey = QStringLiteral("allSpellsSize");

} // namespace

SpellTableModel::SpellTableModel(SpellDocument &doc, QObject *parent)
    : QAbstractTableModel(parent), doc_(doc) {
    connect(&doc_, &SpellDocument::slotChanged, this, &SpellTableModel::rowChanged);
    connect(&doc_, &SpellDocument::marksChanged, this, &SpellTableModel::marksChanged);
    connect(&doc_, &SpellDocument::reloaded, this, [this] {
        beginResetModel();
        for (int slot = 0; slot < SlotCount; ++slot)
            shownMarks_[slot] = doc_.store().SpellChanged[slot];
        endResetModel();
    });
    for (int slot = 0; slot < SlotCount; ++slot)
        shownMarks_[slot] = doc_.store().SpellChanged[slot];
}

int SpellTableModel::byteNumber(int column) {
    if (column == Name)
        return 0;
    return column >= FirstField && column < RawData ? column - FirstField + 1 : -1;
}

int SpellTableModel::effectIndex(int slot) const {
    return DecodeField(5, doc_.store().SpellBytes(slot, 5)).index;
}

int SpellTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : SlotCount;
}

int SpellTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SpellTableModel::data(const QModelIndex &index, int role) const {
    const int slot = index.row(), column = index.column(), n = byteNumber(column);
    const MainModule &m = doc_.store();
    const bool changed = m.SpellChanged[slot];
    if (role == SlotRole)
        return slot;
    if (role == Qt::FontRole && changed) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::ToolTipRole) {
        const auto hex = [](qint64 v, int width) {
            return QStringLiteral("%1").arg(v, width, 16, QLatin1Char('0')).toUpper();
        };
        if (n == 0)
            return QString::fromLatin1(m.SpellNames[slot].toHex(' ').toUpper()) +
                   QStringLiteral(" at offset 0x") +
                   hex(NameTableOffset + slot * NameRecordSize, 0);
        if (n > 0)
            return QStringLiteral("0x") + hex(m.SpellBytes(slot, n), 2) +
                   QStringLiteral(" at offset 0x") +
                   hex(SpellTableOffset + slot * RecordSize + n - 1, 0);
        return {};
    }
    if (role == SortRole) {
        if (n > 0)
            return m.SpellBytes(slot, n);
        if (column == Slot || column == Label)
            return slot;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != SortRole)
        return {};
    switch (column) {
    case Slot:
        return changed ? QStringLiteral("%1 *").arg(slot) : QString::number(slot);
    case Label:
        return SlotLabels().at(slot);
    case Name:
        return DecodeName(m.SpellNames[slot]);
    case RawData: {
        QString raw;
        for (int b = 1; b <= FieldCount; ++b)
            raw += QStringLiteral("%1 ").arg(m.SpellBytes(slot, b), 2, 16, QLatin1Char('0'));
        return raw.toUpper().trimmed();
    }
    default: {
        const int e = effectIndex(slot);
        const DecodedField shown = DecodeField(n, m.SpellBytes(slot, n), e);
        const QStringList items = itemsOf(n, e);
        return shown.index >= 0 && shown.index < items.size() ? items.at(shown.index) : shown.text;
    }
    }
}

QVariant SpellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Slot:
        return QStringLiteral("Slot");
    case Label:
        return QStringLiteral("Label");
    case Name:
        return QStringLiteral("Name");
    case RawData:
        return QStringLiteral("Raw Data");
    default:
        return FieldCaption(byteNumber(section));
    }
}

Qt::ItemFlags SpellTableModel::flags(const QModelIndex &index) const {
    const Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return byteNumber(index.column()) >= 0 ? f | Qt::ItemIsEditable : f;
}

bool SpellTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || byteNumber(index.column()) < 0)
        return false;
    // The document changes (or not) through the session's guard; the row
    // then follows the document.
    emit cellEdited(index.row(), byteNumber(index.column()), value);
    return false;
}

void SpellTableModel::rowChanged(int slot) {
    emit dataChanged(index(slot, 0), index(slot, ColumnCount - 1));
}

void SpellTableModel::marksChanged() {
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (shownMarks_[slot] != doc_.store().SpellChanged[slot]) {
            shownMarks_[slot] = doc_.store().SpellChanged[slot];
            rowChanged(slot);
        }
    }
}

AllSpellsWindow::AllSpellsWindow(SpellDocument &doc, const QList<QMenu *> &menus,
                                 const QList<QAction *> &actions, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(new SpellTableModel(doc, this)),
      proxy_(new QSortFilterProxyModel(this)), view_(new QTableView(this)),
      filter_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("AllSpellsWindow"));
    setWindowTitle(QStringLiteral("All Spells"));
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(QStringLiteral("Filter"));
    filter_->setAccessibleName(QStringLiteral("Filter"));
    filter_->installEventFilter(this);
    // A clear button of our own: the line edit's looks its icon up in the
    // desktop's theme, which costs more than the rest of the filter.
    QAction *clear = filter_->addAction(clearIcon(filter_), QLineEdit::TrailingPosition);
    clear->setObjectName(QStringLiteral("filterClear"));
    clear->setText(QStringLiteral("Clear Filter"));
    clear->setVisible(false);
    if (auto *button = filter_->findChild<QToolButton *>())
        button->setAccessibleName(clear->text());
    connect(clear, &QAction::triggered, filter_, &QLineEdit::clear);
    connect(filter_, &QLineEdit::textChanged, clear,
            [clear](const QString &text) { clear->setVisible(!text.isEmpty()); });
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(SpellTableModel::SortRole);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(filter_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);

    view_->setObjectName(QStringLiteral("tblSpells"));
    view_->setAccessibleName(QStringLiteral("All Spells"));
    view_->setModel(proxy_);
    view_->setItemDelegate(new CellDelegate(model_, view_));
    view_->setSortingEnabled(true);
    view_->sortByColumn(SpellTableModel::Slot, Qt::AscendingOrder);
    // Cells, as in a spreadsheet: a column's cells take one field's paste.
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Tab leaves the table for the filter instead of walking its cells.
    view_->setTabKeyNavigation(false);
    // A double-click or Enter goes to the slot; F2 or a click on the
    // selected cell edits it.
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    setColumnWidths();
    connect(view_, &QTableView::activated, this,
            [this](const QModelIndex &i) { emit slotActivated(i.data(SlotRole).toInt()); });
    connect(model_, &SpellTableModel::cellEdited, this, &AllSpellsWindow::cellEdited);

    auto *layout = new QVBoxLayout(this);
    // The main window's own menus: one set of actions for both windows.
    auto *bar = new QMenuBar(this);
    for (QMenu *menu : menus)
        bar->addMenu(menu);
    layout->setMenuBar(bar);
    addActions(actions);
    auto *find = new QAction(this);
    find->setShortcuts(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });
    addAction(find);
    AddCloseKeys(this);
    layout->addWidget(filter_);
    layout->addWidget(view_);
}

AllSpellsWindow::~AllSpellsWindow() {
    if (isVisible())
        Remember(SizeKey, size());
}

void AllSpellsWindow::setColumnWidths() {
    // Each column as wide as the widest text it can show, bold as a changed
    // row shows it: the lists' items and the widest digits, not every cell.
    QFont bold = view_->font();
    bold.setBold(true);
    const QFontMetrics cells(bold), titles(view_->horizontalHeader()->font());
    const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 6;
    int digit = 0;
    for (QChar c : QStringLiteral("0123456789ABCDEF"))
        digit = std::max(digit, cells.horizontalAdvance(c));
    for (int column = 0; column < SpellTableModel::ColumnCount; ++column) {
        const int n = SpellTableModel::byteNumber(column);
        // Slot: a number and the mark; label and name: four characters.
        QStringList texts{column == SpellTableModel::Slot ? QStringLiteral("63 *")
                                                          : QStringLiteral("WWWW")};
        if (n == 2) {
            texts = QStringList{QStringLiteral("255")};
            for (int e : {EffectNegative, EffectPositive, EffectResist, EffectStrongerNegatives})
                texts += EffectivenessItems(e);
        } else if (n > 0) {
            texts = FieldItems(n);
        }
        int widest = column == SpellTableModel::RawData
                         ? 2 * FieldCount * digit + (FieldCount - 1) * cells.horizontalAdvance(' ')
                         : 0;
        for (const QString &text : texts)
            widest = std::max(widest, cells.horizontalAdvance(text));
        const int title =
            titles.horizontalAdvance(
                model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
            view_->style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 6;
        view_->setColumnWidth(column, std::max(widest + margin, title));
    }
}

QIcon AllSpellsWindow::clearIcon(QWidget *on) {
    // A cross in a disc, in the colours of the box's text.
    const qreal ratio = on->devicePixelRatioF();
    const int side = on->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, on);
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter paint(&pixmap);
    paint.setRenderHint(QPainter::Antialiasing);
    paint.setPen(Qt::NoPen);
    paint.setBrush(on->palette().color(QPalette::PlaceholderText));
    const QRectF disc(1, 1, side - 2, side - 2);
    paint.drawEllipse(disc);
    paint.setPen(QPen(on->palette().color(QPalette::Base), side / 8.0));
    const QRectF cross = disc.adjusted(side / 3.5, side / 3.5, -side / 3.5, -side / 3.5);
    paint.drawLine(cross.topLeft(), cross.bottomRight());
    paint.drawLine(cross.topRight(), cross.bottomLeft());
    return QIcon(pixmap);
}

SlotChoice AllSpellsWindow::choice() const {
    QModelIndexList cells = view_->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && view_->currentIndex().isValid())
        cells = {view_->currentIndex()};
    // In the order shown, whatever order they were selected in.
    std::sort(cells.begin(), cells.end(), [](const QModelIndex &a, const QModelIndex &b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    SlotChoice choice;
    QSet<int> columns;
    for (const QModelIndex &cell : cells) {
        columns << cell.column();
        const int slot = cell.data(SlotRole).toInt();
        if (!choice.chosen.contains(slot))
            choice.chosen << slot;
    }
    if (columns.size() == 1)
        choice.field = SpellTableModel::byteNumber(*columns.begin());
    return choice;
}

void AllSpellsWindow::showBeside(QWidget *beside) {
    if (!placed_) {
        placed_ = true;
        // As tall as about twenty rows, wide enough for every column, or the
        // size it had last; never wider than the screen (the columns scroll).
        const int frame = 2 * view_->frameWidth() + 2 * layout()->contentsMargins().left();
        QSize wanted(view_->horizontalHeader()->length() +
                         view_->verticalScrollBar()->sizeHint().width() + frame,
                     22 * view_->verticalHeader()->defaultSectionSize());
        const QSize remembered = Remembered(SizeKey).toSize();
        if (remembered.isValid())
            wanted = remembered;
        PlaceBeside(*this, wanted, *beside);
    }
    show();
    raise();
    activateWindow();
}

bool AllSpellsWindow::eventFilter(QObject *watched, QEvent *event) {
    // Down goes from the filter into the table, onto its first row when no
    // cell is current yet.
    if (watched == filter_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        if (!view_->currentIndex().isValid() && proxy_->rowCount() > 0)
            view_->setCurrentIndex(proxy_->index(0, SpellTableModel::Label));
        view_->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void AllSpellsWindow::hideEvent(QHideEvent *event) {
    Remember(SizeKey, size());
    QWidget::hideEvent(event);
}

} // namespace corvantis
