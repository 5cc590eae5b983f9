#include "ui/list/RecordListAccessible.h"

#include "ui/list/RecordCellAccessible.h"
#include "ui/list/RecordListView.h"
#include "ui/list/RecordRowAccessible.h"
#include "ui/widgets/ScreenReader.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>

namespace {

// Rows and cells kept at most before those off screen are forgotten.
constexpr int kKeptRows = 256;
constexpr int kKeptCells = 4096;

QAccessibleInterface* recordListInterface(const QString&, QObject* object)
{
    auto* view = qobject_cast<RecordListView*>(object);
    return view != nullptr ? new RecordListAccessible(view) : nullptr;
}

qint64 cellKey(int row, int column)
{
    return (qint64(row) + 1) << 32 | quint32(column);
}

int rowOfKey(qint64 key)
{
    return int(key >> 32) - 1;
}

// Drops the interfaces whose keys are to go.
void forget(QHash<qint64, QAccessible::Id>& cache, const std::function<bool(qint64)>& goes)
{
    for (auto it = cache.begin(); it != cache.end();) {
        if (!goes(it.key())) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(*it);
        it = cache.erase(it);
    }
}

RecordListAccessible* tableOf(RecordListView* view)
{
    return dynamic_cast<RecordListAccessible*>(QAccessible::queryAccessibleInterface(view));
}

} // namespace

RecordListAccessible::RecordListAccessible(RecordListView* view) : QAccessibleWidget(view, QAccessible::Table) {}

RecordListAccessible::~RecordListAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
}

void RecordListAccessible::install(RecordListView* view)
{
    ScreenReader::useInterface(view, recordListInterface,
                               [](QAccessibleInterface* face) { return dynamic_cast<RecordListAccessible*>(face) != nullptr; });
}

void RecordListAccessible::announceCurrent(RecordListView* view, const QModelIndex& current)
{
    RecordListAccessible* table = tableOf(view);
    if (!ScreenReader::isListening() || table == nullptr || !current.isValid() || !view->hasFocus())
        return;
    if (QAccessibleInterface* cell = table->cellAt(current.row(), table->shownColumn(current.column()))) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        ScreenReader::announce(&focus);
    }
}

void RecordListAccessible::announceSelection(RecordListView* view, const QModelIndex& selected,
                                             const QModelIndex& deselected)
{
    RecordListAccessible* table = tableOf(view);
    if (!ScreenReader::isListening() || table == nullptr)
        return;
    for (const auto& [index, type] : {std::pair{deselected, QAccessible::SelectionRemove}, {selected, QAccessible::SelectionAdd}}) {
        if (QAccessibleInterface* cell = index.isValid() ? table->cellAt(index.row(), table->shownColumn(index.column())) : nullptr) {
            QAccessibleEvent event(cell, type);
            ScreenReader::announce(&event);
        }
    }
}

void RecordListAccessible::announceScrolled(RecordListView* view)
{
    if (!ScreenReader::isListening() || tableOf(view) == nullptr)
        return;
    QAccessibleEvent reorder(view, QAccessible::ObjectReorder);
    ScreenReader::announce(&reorder);
}

void* RecordListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

RecordListView* RecordListAccessible::view() const
{
    return static_cast<RecordListView*>(widget());
}

QList<int> RecordListAccessible::shownColumns() const
{
    const QHeaderView* header = view()->horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            columns.append(logical);
    }
    return columns;
}

int RecordListAccessible::logicalColumn(int column) const
{
    return shownColumns().value(column, -1);
}

int RecordListAccessible::shownColumn(int logical) const
{
    return int(shownColumns().indexOf(logical));
}

std::pair<int, int> RecordListAccessible::rowsOnScreen() const
{
    const RecordListView* list = view();
    const int rows = list->model()->rowCount();
    const int first = list->rowAt(0);
    if (first < 0 || !list->isVisible())
        return {0, 0};
    const int last = list->rowAt(list->viewport()->height() - 1);
    return {first, (last < 0 ? rows - 1 : last) - first + 1};
}

bool RecordListAccessible::rowIsOnScreen(int row) const
{
    const auto [first, count] = rowsOnScreen();
    return row >= first && row < first + count;
}

int RecordListAccessible::childCount() const
{
    return 1 + rowsOnScreen().second;
}

QAccessibleInterface* RecordListAccessible::child(int index) const
{
    const auto [first, count] = rowsOnScreen();
    if (index < 0 || index > count)
        return nullptr;
    return rowAt(index == 0 ? -1 : first + index - 1);
}

int RecordListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* row = dynamic_cast<const RecordRowAccessible*>(child);
    if (row == nullptr)
        return -1;
    if (row->row() < 0)
        return 0;
    const auto [first, count] = rowsOnScreen();
    return rowIsOnScreen(row->row()) ? row->row() - first + 1 : -1;
}

QAccessibleInterface* RecordListAccessible::childAt(int x, int y) const
{
    const RecordListView* list = view();
    const QHeaderView* header = list->horizontalHeader();
    const QPoint global(x, y);
    if (header->isVisible() && header->rect().contains(header->mapFromGlobal(global)))
        return rowAt(-1);
    const QPoint local = list->viewport()->mapFromGlobal(global);
    if (!list->viewport()->rect().contains(local))
        return nullptr;
    const int row = list->rowAt(local.y());
    return row >= 0 ? rowAt(row) : nullptr;
}

QAccessibleInterface* RecordListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    if (!view()->hasFocus() || !current.isValid())
        return nullptr;
    return cellAt(current.row(), shownColumn(current.column()));
}

QAccessibleInterface* RecordListAccessible::kept(QHash<qint64, QAccessible::Id>& cache, qint64 key,
                                                 const std::function<QAccessibleInterface*()>& make) const
{
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return QAccessible::accessibleInterface(*found);
    if (m_rows.size() >= kKeptRows || m_cells.size() >= kKeptCells)
        trimLater();
    QAccessibleInterface* made = make();
    cache.insert(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

void RecordListAccessible::trimLater() const
{
    if (m_trimPending)
        return;
    m_trimPending = true;
    // From the event loop: what the reader was handed during this call stays valid until then.
    const QAccessible::Id self = QAccessible::uniqueId(const_cast<RecordListAccessible*>(this));
    QTimer::singleShot(0, view(), [self] {
        if (auto* table = dynamic_cast<RecordListAccessible*>(QAccessible::accessibleInterface(self)))
            table->trim();
    });
}

void RecordListAccessible::trim()
{
    m_trimPending = false;
    const QModelIndex current = view()->currentIndex();
    const auto keep = [this, &current](int row) {
        return row < 0 || rowIsOnScreen(row) || (current.isValid() && current.row() == row);
    };
    forget(m_rows, [&keep](qint64 key) { return !keep(int(key)); });
    forget(m_cells, [&keep](qint64 key) { return !keep(rowOfKey(key)); });
}

QAccessibleInterface* RecordListAccessible::rowAt(int row) const
{
    if (row < -1 || row >= rowCount())
        return nullptr;
    return kept(m_rows, row, [this, row] { return new RecordRowAccessible(const_cast<RecordListAccessible*>(this), row); });
}

QAccessibleInterface* RecordListAccessible::headerCell(int column) const
{
    return column >= 0 && column < columnCount() ? cellAt(-1, column) : nullptr;
}

QAccessibleInterface* RecordListAccessible::cellAt(int row, int column) const
{
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return kept(m_cells, cellKey(row, column), [this, row, column] { return new RecordCellAccessible(const_cast<RecordListAccessible*>(this), row, column); });
}

int RecordListAccessible::rowCount() const
{
    return view()->model()->rowCount();
}

int RecordListAccessible::columnCount() const
{
    return int(shownColumns().size());
}

QString RecordListAccessible::columnDescription(int column) const
{
    return view()->model()->headerData(logicalColumn(column), Qt::Horizontal).toString();
}

QList<int> RecordListAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel* selection = view()->selectionModel()) {
        for (const QModelIndex& index : selection->selectedRows())
            rows.append(index.row());
    }
    return rows;
}

int RecordListAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

int RecordListAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> RecordListAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows()) {
        for (int column = 0; column < columnCount(); ++column)
            cells.append(cellAt(row, column));
    }
    return cells;
}

bool RecordListAccessible::isRowSelected(int row) const
{
    return view()->selectionModel() != nullptr && view()->selectionModel()->isRowSelected(row, {});
}

bool RecordListAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    // As a click does: the row becomes the one Replace and Remove act on.
    const QModelIndex first = view()->model()->index(row, logicalColumn(0));
    view()->setCurrentIndex(first);
    view()->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

bool RecordListAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    view()->selectionModel()->select(view()->model()->index(row, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void RecordListAccessible::modelChange(QAccessibleTableModelChangeEvent*)
{
    // The rows and cells stand for places in the table and read what those places hold now;
    // places that are gone are no longer valid and are forgotten with the others off screen.
    trimLater();
}
