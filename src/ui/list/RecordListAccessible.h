#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>

#include <functional>
#include <utility>

class QModelIndex;
class RecordListView;

// How a screen reader sees the record list: a table whose children are the row of column
// headers and the rows on screen, each row holding its cells. A tool that walks the tree thus
// meets a few dozen objects however many records there are; through the table interface every
// cell is still reached by its row and column, made when it is asked for. Rows are the shown
// rows (the search hides the others), columns the shown columns from the left, as the user
// sees them.
class RecordListAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit RecordListAccessible(RecordListView* view);
    ~RecordListAccessible() override;

    // Makes the record list's interface this one (the factory once per program), dropping one
    // made before.
    static void install(RecordListView* view);
    // What the view tells a screen reader, in this table's terms: the current cell, the
    // selection, and the rows on screen having changed.
    static void announceCurrent(RecordListView* view, const QModelIndex& current);
    static void announceSelection(RecordListView* view, const QModelIndex& selected, const QModelIndex& deselected);
    static void announceScrolled(RecordListView* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // For the rows and cells.
    RecordListView* view() const;
    // The model column of a shown column (0 is the leftmost), or -1; and back.
    int logicalColumn(int column) const;
    int shownColumn(int logical) const;
    // The row of cells at a shown row; -1 is the row of column headers.
    QAccessibleInterface* rowAt(int row) const;
    QAccessibleInterface* headerCell(int column) const;
    bool rowIsOnScreen(int row) const;

private:
    // The shown columns' model columns, from the left.
    QList<int> shownColumns() const;
    // The first shown row on screen and how many are.
    std::pair<int, int> rowsOnScreen() const;
    QAccessibleInterface* kept(QHash<qint64, QAccessible::Id>& cache, qint64 key,
                               const std::function<QAccessibleInterface*()>& make) const;
    // Forgets the rows and cells off screen once many were made, so that a reader asking for
    // every cell does not keep them all.
    void trimLater() const;
    void trim();

    mutable QHash<qint64, QAccessible::Id> m_rows;
    mutable QHash<qint64, QAccessible::Id> m_cells;
    mutable bool m_trimPending = false;
};
