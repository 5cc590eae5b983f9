#include "ui/list/RecordCellAccessible.h"

#include "ui/list/RecordListAccessible.h"
#include "ui/list/RecordListView.h"

#include <QHeaderView>

RecordCellAccessible::RecordCellAccessible(RecordListAccessible* table, int row, int column)
    : m_table(table), m_row(row), m_column(column)
{
}

bool RecordCellAccessible::isValid() const
{
    return m_table->isValid() && m_row < m_table->rowCount() && m_column < m_table->columnCount();
}

QWindow* RecordCellAccessible::window() const
{
    return m_table->window();
}

QModelIndex RecordCellAccessible::index() const
{
    if (isHeader() || !isValid())
        return {};
    return m_table->view()->model()->index(m_row, m_table->logicalColumn(m_column));
}

QAccessibleInterface* RecordCellAccessible::parent() const
{
    return m_table->rowAt(m_row);
}

QString RecordCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    if (isHeader())
        return m_table->columnDescription(m_column);
    return index().data().toString();
}

QRect RecordCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const RecordListView* list = m_table->view();
    if (isHeader()) {
        const QHeaderView* header = list->horizontalHeader();
        const int logical = m_table->logicalColumn(m_column);
        return {header->viewport()->mapToGlobal(QPoint(header->sectionViewportPosition(logical), 0)),
                QSize(header->sectionSize(logical), header->height())};
    }
    const QRect cell = list->visualRect(index());
    return {list->viewport()->mapToGlobal(cell.topLeft()), cell.size()};
}

QAccessible::Role RecordCellAccessible::role() const
{
    return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State RecordCellAccessible::state() const
{
    QAccessible::State state;
    if (isHeader() || !isValid())
        return state;
    const RecordListView* list = m_table->view();
    state.selectable = true;
    state.focusable = true;
    state.selected = isSelected();
    state.focused = list->hasFocus() && list->currentIndex() == index();
    state.offscreen = !m_table->rowIsOnScreen(m_row) ||
                      !list->viewport()->rect().intersects(list->visualRect(index()));
    return state;
}

void* RecordCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::TableCellInterface && !isHeader() ? static_cast<QAccessibleTableCellInterface*>(this)
                                                                    : nullptr;
}

bool RecordCellAccessible::isSelected() const
{
    return !isHeader() && m_table->isRowSelected(m_row);
}

QList<QAccessibleInterface*> RecordCellAccessible::columnHeaderCells() const
{
    if (QAccessibleInterface* header = m_table->headerCell(m_column))
        return {header};
    return {};
}

QAccessibleInterface* RecordCellAccessible::table() const
{
    return m_table;
}
