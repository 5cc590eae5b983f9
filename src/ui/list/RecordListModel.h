#pragma once

#include "store/StoreResult.h"
#include "store/TravelRecord.h"
#include "ui/list/RecordSearchIndex.h"

#include <QAbstractTableModel>

#include <functional>

class RecordStore;

// Shows the records of the store as a table of 25 text columns; it holds no copy of them.
// Every change to the rows goes through here so that the views stay in step with the store.
// The file is not written here: the caller appends or rewrites it.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RecordListModel(RecordStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Sorts the store's rows by one column: dates by date, prices by their number, other texts
    // alphabetically ignoring letter case (SortKeys); rows with equal keys keep their order. The sorted order is the stored order, so
    // the next rewrite of the file keeps it. Selections follow their records.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Adds a record as the last row.
    StoreResult appendRecord(TravelRecord record);
    // Puts a record at a row (0-based), moving the rows from there down by one.
    void insertRecord(int row, TravelRecord record);
    StoreResult replaceRecord(int row, TravelRecord record);
    void removeRecord(int row);
    // Tells the views that a row (0-based) was changed in the store directly, e.g. its upload mark.
    void rowChanged(int row);

    // Whether a row (0-based) holds every folded word (TextFolding) in a column the list shows.
    bool rowHoldsAll(int row, const QStringList& foldedWords) const;

    // Changes the store's rows wholesale (load, clear) with the views told before and after;
    // the search texts of the new rows are then prepared in the background.
    void resetWith(const std::function<void()>& change);
    bool searchTextsPrepared() const { return m_search.isPrepared(); }

signals:
    // Before replaceRecord changes a row, for those who count what the record held; its
    // dataChanged follows when the replacement was stored.
    void recordAboutToBeReplaced(int row);

private:
    RecordStore& m_store;
    // Prepared after each load (or built by the first search), then kept in step with every
    // change made here.
    mutable RecordSearchIndex m_search;
};
