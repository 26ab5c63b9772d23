#include "ui/CompareWindow.h"

#include "fields/FieldLists.h"
#include "ui/FormSetup.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <numeric>

namespace corvantis {

void CompareModel::setComparison(Comparison comparison, bool fresh) {
    if (fresh)
        leftOut_.reset();
    const auto slotsOf = [](const Comparison &c) {
        QList<int> shown;
        for (const SpellDifference &d : c.spells)
            shown.append(d.slot);
        return shown;
    };
    // The same rows with new texts keep the view's selection and place.
    if (slotsOf(comparison) == slotsOf(comparison_)) {
        comparison_ = std::move(comparison);
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    comparison_ = std::move(comparison);
    endResetModel();
    emit choiceChanged();
}

QList<int> CompareModel::chosen() const {
    QList<int> chosen;
    for (const SpellDifference &d : comparison_.spells)
        if (!leftOut_[size_t(d.slot)])
            chosen.append(d.slot);
    return chosen;
}

void CompareModel::choose(const QList<int> &rows, bool chosen) {
    for (int row : rows) {
        leftOut_[size_t(comparison_.spells.at(size_t(row)).slot)] = !chosen;
        emit dataChanged(index(row, Slot), index(row, Slot), {Qt::CheckStateRole});
    }
    emit choiceChanged();
}

int CompareModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(comparison_.spells.size());
}

int CompareModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareModel::data(const QModelIndex &index, int role) const {
    const SpellDifference &d = comparison_.spells.at(size_t(index.row()));
    const int column = index.column(), compared = column - FirstCompared;
    const bool differs = compared >= 0 && d.differs[size_t(compared)];
    switch (role) {
    case Qt::DisplayRole:
        return column == Slot    ? QString::number(d.slot)
               : column == Label ? d.label
                                 : d.cell(compared);
    case Qt::CheckStateRole:
        if (column == Slot)
            return leftOut_[size_t(d.slot)] ? Qt::Unchecked : Qt::Checked;
        break;
    case Qt::FontRole:
        if (differs) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        break;
    case Qt::BackgroundRole:
        if (differs) {
            QColor tint = QGuiApplication::palette().color(QPalette::Highlight);
            tint.setAlpha(56);
            return tint;
        }
        break;
    case Qt::ForegroundRole:
        if (compared >= 0 && !differs)
            return QGuiApplication::palette().color(QPalette::PlaceholderText);
        break;
    case Qt::AccessibleDescriptionRole:
        if (differs)
            return QStringLiteral("differs");
        break;
    default:
        break;
    }
    return {};
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Slot:
        return QStringLiteral("Slot");
    case Label:
        return QStringLiteral("Label");
    case FirstCompared + NameColumn:
        return QStringLiteral("Name");
    default:
        return FieldCaption(section - FirstCompared);
    }
}

Qt::ItemFlags CompareModel::flags(const QModelIndex &index) const {
    const Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return index.column() == Slot ? f | Qt::ItemIsUserCheckable : f;
}

bool CompareModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Slot)
        return false;
    choose({index.row()}, value.toInt() == Qt::Checked);
    return true;
}

CompareWindow::CompareWindow(SpellDocument &doc, QWidget *parent)
    : QWidget(parent, Qt::Window), doc_(doc), model_(new CompareModel(this)),
      count_(new QLabel(this)), notes_(new QLabel(this)), view_(new QTableView(this)),
      take_(new QPushButton(QStringLiteral("&Take Spells"), this)), later_(new QTimer(this)) {
    setObjectName(QStringLiteral("CompareWindow"));
    count_->setObjectName(QStringLiteral("lblCount"));
    notes_->setObjectName(QStringLiteral("lblNotes"));
    notes_->setWordWrap(true);
    count_->setTextFormat(Qt::PlainText);
    notes_->setTextFormat(Qt::PlainText);
    view_->setObjectName(QStringLiteral("tblCompare"));
    view_->setAccessibleName(QStringLiteral("Spells that differ"));
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the buttons; the arrows move in the table.
    view_->setTabKeyNavigation(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->installEventFilter(this);

    auto *all = new QPushButton(QStringLiteral("Choose &All"), this);
    auto *none = new QPushButton(QStringLiteral("Choose &None"), this);
    all->setObjectName(QStringLiteral("cmdChooseAll"));
    none->setObjectName(QStringLiteral("cmdChooseNone"));
    take_->setObjectName(QStringLiteral("cmdTake"));
    const auto chooseAll = [this](bool chosen) {
        QList<int> rows(model_->rowCount());
        std::iota(rows.begin(), rows.end(), 0);
        model_->choose(rows, chosen);
    };
    connect(all, &QPushButton::clicked, this, [chooseAll] { chooseAll(true); });
    connect(none, &QPushButton::clicked, this, [chooseAll] { chooseAll(false); });
    connect(take_, &QPushButton::clicked, this, &CompareWindow::takeRequested);
    connect(model_, &CompareModel::choiceChanged, this,
            [this] { take_->setEnabled(!model_->chosen().isEmpty()); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);

    // One comparison for all the session's notices of one step.
    later_->setSingleShot(true);
    later_->setInterval(0);
    connect(later_, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
        else
            stale_ = true;
    });
    const auto changed = [this] { later_->start(); };
    connect(&doc_, &SpellDocument::slotChanged, this, changed);
    connect(&doc_, &SpellDocument::marksChanged, this, changed);
    connect(&doc_, &SpellDocument::reloaded, this, changed);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch();
    buttons->addWidget(take_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(count_);
    layout->addWidget(notes_);
    layout->addWidget(view_);
    layout->addLayout(buttons);
}

void CompareWindow::compareWith(const QByteArray &file, Comparison first) {
    file_ = file;
    name_ = first.name;
    later_->stop();
    stale_ = false;
    model_->setComparison({}, true);
    display(std::move(first));
    if (isVisible())
        return;
    // Wide enough for every column, as tall as the rows up to about twenty.
    const int rows = std::clamp(model_->rowCount(), 4, 20);
    const QMargins margins = layout()->contentsMargins();
    const int width = view_->horizontalHeader()->length() + 2 * view_->frameWidth() +
                      view_->verticalScrollBar()->sizeHint().width() + margins.left() +
                      margins.right();
    const int height = layout()->sizeHint().height() - view_->sizeHint().height() +
                       view_->horizontalHeader()->sizeHint().height() + 2 * view_->frameWidth() +
                       (rows + 1) * view_->verticalHeader()->defaultSectionSize();
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(width, screen.width()), std::min(height, screen.height()));
}

const Comparison &CompareWindow::comparison() {
    if (later_->isActive() || stale_)
        refresh();
    return model_->comparison();
}

void CompareWindow::placeBeside(const QWidget *window) {
    PlaceBeside(*this, size(), *window);
}

void CompareWindow::refresh() {
    later_->stop();
    stale_ = false;
    if (!file_.isNull())
        display(doc_.compareWith(file_, name_));
}

void CompareWindow::display(Comparison comparison) {
    setWindowTitle(QStringLiteral("Compare With %1").arg(comparison.name));
    count_->setText(comparison.ok()
                        ? comparison.count()
                        : QStringLiteral("The comparison cannot be made now: ") + comparison.error);
    notes_->setText(comparison.notes.join(QLatin1Char('\n')));
    notes_->setVisible(!comparison.notes.isEmpty());
    // The row in hand stays in hand when rows come and go.
    const QModelIndex current = view_->currentIndex();
    const int slot =
        current.isValid() ? model_->comparison().spells.at(size_t(current.row())).slot : -1;
    model_->setComparison(std::move(comparison));
    fitColumns();
    take_->setEnabled(!model_->chosen().isEmpty());
    if (slot < 0 || view_->currentIndex().isValid())
        return;
    const std::vector<SpellDifference> &spells = model_->comparison().spells;
    const auto at = std::find_if(spells.begin(), spells.end(),
                                 [slot](const SpellDifference &d) { return d.slot >= slot; });
    if (!spells.empty())
        view_->setCurrentIndex(model_->index(
            int(std::min(at - spells.begin(), std::ptrdiff_t(spells.size()) - 1)), 0));
}

void CompareWindow::fitColumns() {
    // Each column as wide as its widest text, bold as a differing cell
    // shows it: measured from the texts, which costs a fraction of asking
    // the delegate for every cell's size.
    QFont bold = view_->font();
    bold.setBold(true);
    const QFontMetrics cells(bold), titles(view_->horizontalHeader()->font());
    const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 6;
    const int check = view_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + margin;
    for (int column = 0; column < CompareModel::ColumnCount; ++column) {
        int widest = titles.horizontalAdvance(
                         model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
                     2 * margin;
        for (int row = 0; row < model_->rowCount(); ++row)
            widest = std::max(
                widest, cells.horizontalAdvance(model_->index(row, column).data().toString()) +
                            (column == CompareModel::Slot ? check : 0) + margin);
        view_->setColumnWidth(column, widest);
    }
}

void CompareWindow::showEvent(QShowEvent *event) {
    if (stale_)
        refresh();
    QWidget::showEvent(event);
}

void CompareWindow::closeEvent(QCloseEvent *event) {
    // A closed comparison holds no file; Compare With brings a new one.
    file_ = QByteArray();
    QWidget::closeEvent(event);
}

bool CompareWindow::eventFilter(QObject *watched, QEvent *event) {
    // Space chooses the selected rows, or leaves them out when all of them
    // are chosen, wherever in the row the cursor is.
    if (watched == view_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        QList<int> rows;
        for (const QModelIndex &row : view_->selectionModel()->selectedRows())
            rows.append(row.row());
        if (rows.isEmpty() && view_->currentIndex().isValid())
            rows.append(view_->currentIndex().row());
        const QList<int> chosen = model_->chosen();
        const bool allChosen = std::all_of(rows.begin(), rows.end(), [&](int row) {
            return chosen.contains(model_->comparison().spells.at(size_t(row)).slot);
        });
        model_->choose(rows, !allChosen);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvantis
