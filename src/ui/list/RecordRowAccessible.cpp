#include "ui/list/RecordRowAccessible.h"

#include "ui/list/RecordCellAccessible.h"
#include "ui/list/RecordListAccessible.h"
#include "ui/list/RecordListView.h"

#include <QHeaderView>

RecordRowAccessible::RecordRowAccessible(RecordListAccessible* table, int row) : m_table(table), m_row(row) {}

bool RecordRowAccessible::isValid() const
{
    return m_table->isValid() && m_row < m_table->rowCount();
}

QWindow* RecordRowAccessible::window() const
{
    return m_table->window();
}

QAccessibleInterface* RecordRowAccessible::childAt(int x, int y) const
{
    if (!rect().contains(x, y))
        return nullptr;
    const RecordListView* list = m_table->view();
    const int logical = list->columnAt(list->viewport()->mapFromGlobal(QPoint(x, y)).x());
    return child(m_table->shownColumn(logical));
}

QAccessibleInterface* RecordRowAccessible::parent() const
{
    return m_table;
}

QAccessibleInterface* RecordRowAccessible::child(int index) const
{
    return m_row < 0 ? m_table->headerCell(index) : m_table->cellAt(m_row, index);
}

int RecordRowAccessible::childCount() const
{
    return m_table->columnCount();
}

int RecordRowAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const RecordCellAccessible*>(child);
    return cell != nullptr && cell->rowIndex() == m_row ? cell->columnIndex() : -1;
}

QString RecordRowAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    if (m_row < 0)
        return QStringLiteral("Column headers");
    const QAbstractItemModel* model = m_table->view()->model();
    return model->index(m_row, m_table->logicalColumn(0)).data().toString();
}

QRect RecordRowAccessible::rect() const
{
    if (!isValid())
        return {};
    const RecordListView* list = m_table->view();
    if (m_row < 0) {
        const QHeaderView* header = list->horizontalHeader();
        return {header->mapToGlobal(QPoint(0, 0)), header->size()};
    }
    const QWidget* viewport = list->viewport();
    return {viewport->mapToGlobal(QPoint(0, list->rowViewportPosition(m_row))),
            QSize(viewport->width(), list->rowHeight(m_row))};
}

QAccessible::State RecordRowAccessible::state() const
{
    QAccessible::State state;
    if (m_row < 0 || !isValid())
        return state;
    state.selectable = true;
    state.selected = m_table->isRowSelected(m_row);
    state.offscreen = !m_table->rowIsOnScreen(m_row);
    return state;
}
