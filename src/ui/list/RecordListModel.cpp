#include "ui/list/RecordListModel.h"

#include "store/Cp1252.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

RecordListModel::RecordListModel(RecordStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store)
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
    if (role == Qt::DisplayRole)
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
    // Alphabetical in the user's language; the C locale has no alphabet, so English stands in.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
        keys.push_back(collator.sortKey(Cp1252::toUnicode(m_store.row(row).fieldBytes(column))));

    std::vector<int> newOrder(static_cast<size_t>(rows));
    std::iota(newOrder.begin(), newOrder.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(newOrder.begin(), newOrder.end(),
                         [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    else
        std::stable_sort(newOrder.begin(), newOrder.end(),
                         [&keys](int a, int b) { return keys[size_t(b)].compare(keys[size_t(a)]) < 0; });

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
    endInsertRows();
    return result;
}

void RecordListModel::insertRecord(int row, TravelRecord record)
{
    beginInsertRows({}, row, row);
    m_store.insertRow(row, std::move(record));
    endInsertRows();
}

StoreResult RecordListModel::replaceRecord(int row, TravelRecord record)
{
    const StoreResult result = m_store.replaceRow(row, std::move(record));
    if (result)
        emit dataChanged(index(row, 0), index(row, RecordColumns::Count - 1));
    return result;
}

void RecordListModel::removeRecord(int row)
{
    beginRemoveRows({}, row, row);
    m_store.removeRow(row);
    endRemoveRows();
}

void RecordListModel::rowChanged(int row)
{
    if (row >= 0 && row < m_store.rowCount())
        emit dataChanged(index(row, 0), index(row, RecordColumns::Count - 1));
}

void RecordListModel::resetWith(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}
