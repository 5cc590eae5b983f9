#include "ui/RecordListModel.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"

#include <QSize>

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
    return m_store.row(index.row()).field(index.column());
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= RecordColumns::Count)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return RecordColumns::header(section);
    if (role == Qt::SizeHintRole)
        return QSize(RecordColumns::twipsToPixels(RecordColumns::widthTwips(section)), 0);
    return {};
}

void RecordListModel::resetFromStore()
{
    beginResetModel();
    endResetModel();
}
