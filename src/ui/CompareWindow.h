#pragma once

#include "document/SpellDocument.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <bitset>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace corvantis {

// The spells of a comparison, one row each: the slot (with the check box
// that chooses the row for Take), the label, then the name and bytes 1..7,
// each differing cell as "ours → theirs", marked bold on a tint and, for
// screen readers, described as "differs"; the others show ours, muted.
class CompareModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Slot, Label, FirstCompared, ColumnCount = FirstCompared + CompareColumns };

    using QAbstractTableModel::QAbstractTableModel;

    // Shows a comparison. A slot keeps its choice (fresh: every slot is
    // chosen again); a slot never left out is chosen.
    void setComparison(Comparison comparison, bool fresh = false);
    const Comparison &comparison() const { return comparison_; }
    // The chosen slots, in slot order.
    QList<int> chosen() const;
    // Chooses rows (or leaves them out of Take).
    void choose(const QList<int> &rows, bool chosen);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

  signals:
    void choiceChanged();

  private:
    Comparison comparison_;
    std::bitset<SlotCount> leftOut_;
};

// Compare With: the spells that differ between the open image and another
// file, beside the main window. The other file is read once; the comparison
// is made again (in memory) after every change of the session: an edit, an
// undo, a take, a save (which changes the image a patch applies to) or an
// Open, which compares the newly opened image with the same file. A window
// that is closed does that when it shows again.
class CompareWindow : public QWidget {
    Q_OBJECT

  public:
    CompareWindow(SpellDocument &doc, QWidget *parent);

    // From now on compares the open image with file; first is the
    // comparison just made from it.
    void compareWith(const QByteArray &file, Comparison first);
    // The comparison as shown, made again first where the session changed
    // since.
    const Comparison &comparison();
    QList<int> chosen() const { return model_->chosen(); }
    QTableView *view() const { return view_; }
    // Puts the window beside window where the screen has room.
    void placeBeside(const QWidget *window);

  signals:
    // Take Spells: the chosen slots, for the session through the guard.
    void takeRequested();

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void refresh();
    void display(Comparison comparison);
    void fitColumns();

    SpellDocument &doc_;
    QByteArray file_;
    QString name_;
    CompareModel *model_;
    QLabel *count_, *notes_;
    QTableView *view_;
    QPushButton *take_;
    QTimer *later_;
    bool stale_ = false;
};

} // namespace corvantis
