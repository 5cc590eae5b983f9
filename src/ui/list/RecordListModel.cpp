#include "ui/list/RecordListModel.h"

#include "store/Cp1252.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"

#include "ui/list/SortKeys.h"

#include <vector>

RecordListModel::RecordListModel(RecordStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_search(store)
{
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_store.rowCount();
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RecordColumns::Count;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
        return {};
    return Cp1252::toUnicode(m_store.row(index.row()).fieldBytes(index.column()));
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= RecordColumns::Count)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The hidden upload mark has no name for a screen reader to announce.
    if (role == Qt::DisplayRole && section != RecordColumns::UploadMark)
        return RecordColumns::header(section);
    return {};
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const
{
    // Records are changed through the entry form only, never in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void RecordListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= RecordColumns::Count)
        return;
    const int rows = m_store.rowCount();
    const std::vector<int> newOrder = SortKeys(m_store, column).sortedOrder(order);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(static_cast<size_t>(rows));
    for (int position = 0; position < rows; ++position)
        newRowOf[size_t(newOrder[size_t(position)])] = position;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[size_t(old.row())], old.column()));
    m_store.reorder(newOrder);
    m_search.reordered(newOrder);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

StoreResult RecordListModel::appendRecord(TravelRecord record)
{
    const int row = m_store.rowCount();
    // Checked before the rows are announced, so that a refusal leaves the views untouched.
    if (m_store.table().isFull())
        return m_store.appendRow(std::move(record));
    if (const QString why = RecordStore::problemWithRecord(record); !why.isEmpty())
        return StoreResult::failure(why);
    beginInsertRows({}, row, row);
    const StoreResult result = m_store.appendRow(std::move(record));
    if (result)
        m_search.rowInserted(row);
    endInsertRows();
    return result;
}

void RecordListModel::insertRecord(int row, TravelRecord record)
{
    beginInsertRows({}, row, row);
    m_store.insertRow(row, std::move(record));
    m_search.rowInserted(row);
    endInsertRows();
}

StoreResult RecordListModel::replaceRecord(int row, TravelRecord record)
{
    emit recordAboutToBeReplaced(row);
    const StoreResult result = m_store.replaceRow(row, std::move(record));
    if (result) {
        m_search.rowChanged(row);
        emit dataChanged(index(row, 0), index(row, RecordColumns::Count - 1));
    }
    return result;
}

void RecordListModel::removeRecord(int row)
{
    beginRemoveRows({}, row, row);
    m_store.removeRow(row);
    m_search.rowRemoved(row);
    endRemoveRows();
}

void RecordListModel::rowChanged(int row)
{
    if (row < 0 || row >= m_store.rowCount())
        return;
    m_search.rowChanged(row);
    emit dataChanged(index(row, 0), index(row, RecordColumns::Count - 1));
}

void RecordListModel::resetWith(const std::function<void()>& change)
{
    beginResetModel();
    change();
    m_search.reset();
    endResetModel();
    m_search.prepare();
}

bool RecordListModel::rowHoldsAll(int row, const QStringList& foldedWords) const
{
    return m_search.rowHoldsAll(row, foldedWords);
}
