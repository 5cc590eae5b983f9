#pragma once

#include <QAbstractTableModel>

class RecordStore;

// Shows the records of the store as a table of 25 text columns; it holds no copy of them.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordListModel(RecordStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Tells the views that the store's rows were changed wholesale (load, clear, reorder).
    void resetFromStore();

private:
    RecordStore& m_store;
};
