#pragma once

#include <QString>

#include <atomic>
#include <future>
#include <memory>
#include <vector>

class RecordStore;
class TravelRecord;

// The folded text of every record, one per row in the store's order, so that a search only
// scans prepared strings. After a load it is prepared on another thread from a copy of the
// records, so that the first keystroke finds it ready; a search or change that comes sooner
// waits for the rest. Otherwise it is built on its first use. Once built it is kept in step
// with each change of a row.
class RecordSearchIndex
{
public:
    explicit RecordSearchIndex(const RecordStore& store) : m_store(store) {}

    // Whether the row holds every one of the folded words, in any of the columns the list shows.
    bool rowHoldsAll(int row, const QStringList& foldedWords);

    void rowInserted(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    // The store's rows now stand in this order: position p holds the row that was at newOrder[p].
    void reordered(const std::vector<int>& newOrder);
    void reset();
    // Starts preparing the texts of the rows the store holds now.
    void prepare();
    bool isPrepared() const;

    // The columns of a record as one folded text; the columns are kept apart so that no word
    // is found across two of them.
    static QString foldedText(const TravelRecord& record);

private:
    void build();
    // Takes the prepared texts, waiting for them if need be.
    void settle();

    const RecordStore& m_store;
    bool m_built = false;
    std::vector<QString> m_texts;
    std::future<std::vector<QString>> m_preparing;
    // Set when the rows being prepared were replaced, so that the preparation stops early.
    std::shared_ptr<std::atomic<bool>> m_abandoned;
};
