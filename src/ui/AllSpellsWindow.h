#pragma once

#include "document/SpellDocument.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <bitset>

class QLineEdit;
class QMenu;
class QSortFilterProxyModel;
class QTableView;

namespace corvantis {

// The 64 spells as rows, each cell what the main window's field shows for
// that slot. It only reads the document; a cell's edit is handed on as
// cellEdited, for the session to take through its guard.
class SpellTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Slot, Label, Name, FirstField, RawData = FirstField + FieldCount, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    explicit SpellTableModel(SpellDocument &doc, QObject *parent = nullptr);

    // The record byte number of a column (1..7), 0 for the name, -1 else.
    static int byteNumber(int column);
    // The Effect field's choice index of a slot, which decides byte 2.
    int effectIndex(int slot) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

  signals:
    // n is the byte number, 0 for the name; value is a list's choice index,
    // or the text of the name, the number box or First Byte.
    void cellEdited(int slot, int n, const QVariant &value);

  private:
    void rowChanged(int slot);
    void marksChanged();

    SpellDocument &doc_;
    std::bitset<SlotCount> shownMarks_;
};

// Slots chosen in a window, in the order shown; field (a byte number, 0 the
// name) where every chosen cell lies in that field's column, else -1.
struct SlotChoice {
    QList<int> chosen;
    int field = -1;
};

// The table window. It carries the main window's File and Edit menus (the
// same actions, so that their keys work here too) and works by keyboard:
// Ctrl+F and Tab reach the filter, Down goes from there into the table, Esc
// and Ctrl+W close it.

class AllSpellsWindow : public QWidget {
    Q_OBJECT

  public:
    AllSpellsWindow(SpellDocument &doc, const QList<QMenu *> &menus,
                    const QList<QAction *> &actions, QWidget *parent);
    ~AllSpellsWindow() override;

    QTableView *view() const { return view_; }
    // The selected cells' slots; the current row's when none is selected.
    SlotChoice choice() const;
    // Shows the window: the first time beside beside (on whichever side has
    // room), at its remembered size, never wider than the screen.
    void showBeside(QWidget *beside);

  signals:
    void slotActivated(int slot);
    void cellEdited(int slot, int n, const QVariant &value);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void setColumnWidths();
    static QIcon clearIcon(QWidget *on);

    SpellTableModel *model_;
    QSortFilterProxyModel *proxy_;
    QTableView *view_;
    QLineEdit *filter_;
    bool placed_ = false;
};

} // namespace corvantis
