#include "ui/AllSpellsWindow.h"

#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "ui/CharacterFilter.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
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

AllSpellsWindow::AllSpellsWindow(SpellDocument &doc, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(new SpellTableModel(doc, this)),
      proxy_(new QSortFilterProxyModel(this)), view_(new QTableView(this)) {
    setObjectName(QStringLiteral("AllSpellsWindow"));
    setWindowTitle(QStringLiteral("All Spells"));
    auto *filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("txtFilter"));
    filter->setPlaceholderText(QStringLiteral("Filter"));
    filter->setClearButtonEnabled(true);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(SpellTableModel::SortRole);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(filter, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);

    view_->setObjectName(QStringLiteral("tblSpells"));
    view_->setModel(proxy_);
    view_->setItemDelegate(new CellDelegate(model_, view_));
    view_->setSortingEnabled(true);
    view_->sortByColumn(SpellTableModel::Slot, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double-click or Enter goes to the slot; F2 or a click on the
    // selected cell edits it.
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    // Each column as wide as its widest text, bold as a changed row shows it:
    // measured from the texts, which costs a fraction of asking the delegate
    // for every cell's size.
    QFont bold = view_->font();
    bold.setBold(true);
    const QFontMetrics cells(bold), titles(view_->horizontalHeader()->font());
    const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 6;
    for (int column = 0; column < SpellTableModel::ColumnCount; ++column) {
        int widest = titles.horizontalAdvance(
                         model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
                     view_->style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 6;
        for (int slot = 0; slot < SlotCount; ++slot)
            widest = std::max(
                widest,
                cells.horizontalAdvance(model_->index(slot, column).data().toString()) + margin);
        view_->setColumnWidth(column, widest);
    }
    connect(view_, &QTableView::activated, this,
            [this](const QModelIndex &i) { emit slotActivated(i.data(SlotRole).toInt()); });
    connect(model_, &SpellTableModel::cellEdited, this, &AllSpellsWindow::cellEdited);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filter);
    layout->addWidget(view_);
    // Wide enough for every column, as tall as about twenty rows.
    const int frame = 2 * view_->frameWidth() + layout->contentsMargins().left() * 2;
    resize(view_->horizontalHeader()->length() + view_->verticalScrollBar()->sizeHint().width() +
               frame,
           22 * view_->verticalHeader()->defaultSectionSize());
}

} // namespace corvantis
