#pragma once

#include <QAccessibleInterface>

class RecordListAccessible;

// A cell of the record list for a screen reader, named by its text, or a column header
// (row -1). It stands for a place in the list (a shown row, a shown column from the left) and
// reads whatever is there now.
class RecordCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    RecordCellAccessible(RecordListAccessible* table, int row, int column);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    bool isHeader() const { return m_row < 0; }
    // The model index of a record's cell (invalid for a header).
    QModelIndex index() const;

    RecordListAccessible* m_table;
    int m_row;
    int m_column;
};
