#pragma once

#include <QAccessibleInterface>

class RecordListAccessible;

// A row of the record list for a screen reader: the cells of one shown row, named by its
// first cell, or the row of column headers (row -1). It stands for a place in the list and
// reads whatever record is there now.
class RecordRowAccessible : public QAccessibleInterface
{
public:
    RecordRowAccessible(RecordListAccessible* table, int row);

    int row() const { return m_row; }

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Row; }
    QAccessible::State state() const override;

private:
    RecordListAccessible* m_table;
    int m_row;
};
