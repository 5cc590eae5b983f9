#pragma once

#include <QTableView>

#include <functional>

class RecordFilterModel;
class RecordListModel;
class QTimer;

// The record list "ListView1": one row per record, never edited in place. A click on a record
// followed by the release of the left button asks for the record to be shown in the entry
// form; the same with the right button asks for the Other menu. A header click sorts the
// list by that column, the sort order flipping with every header click. The list shows the
// records through a search filter (RecordFilterModel); the rows it takes and gives are the
// store's rows, whatever the filter hides.
class RecordListView : public QTableView
{
    Q_OBJECT

public:
    explicit RecordListView(RecordListModel* model, QWidget* parent = nullptr);

    // The selected row of the store (0-based), or -1.
    int selectedRow() const;
    // Selects a row of the store, when the search shows it. Hides the view's own selectRow,
    // which counts the shown rows only.
    void selectRow(int row);

    RecordFilterModel* filter() const { return m_filter; }

    // Set by a click on a record, cleared once the form has been filled.
    bool itemClicked() const { return m_itemClicked; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // What a click on the header at a 0-based position does.
    void sortByHeader(int column);
    // Asked before a header click sorts, which reorders the stored records: true leaves them
    // as they are, the guard having told the user why.
    void setSortGuard(std::function<bool()> refuses) { m_sortGuard = std::move(refuses); }

signals:
    // Show the record of this row in the form.
    void fillFormRequested(int row);
    // Pop up the Other menu at this global position; from the keyboard with its first item
    // highlighted.
    void otherMenuRequested(const QPoint& globalPos, bool fromKeyboard);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Told to a screen reader in terms of the list's own interface (RecordListAccessible),
    // whose children are the rows on screen: QTableView's announcements count every cell of
    // every row as a child.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void verticalScrollbarValueChanged(int value) override;

private:
    void fillFromSelection();
    // The columns' widths and order as the user left them, kept in the settings.
    void restoreColumns();
    void saveColumns();

    RecordListModel* m_records;
    RecordFilterModel* m_filter;
    QTimer* m_columnsChanged;
    std::function<bool()> m_sortGuard;
    bool m_itemClicked = false;
    // The window opens unsorted with the order ascending; the first header click flips it.
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
