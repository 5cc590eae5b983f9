#pragma once

#include <QString>

#include <vector>

class RecordStore;
class TravelRecord;

// The folded text of every record, one per row in the store's order, so that a search only
// scans prepared strings. It is built on its first use and then kept in step with each change
// of a row; until then keeping it costs nothing.
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

    // The columns of a record as one folded text; the columns are kept apart so that no word
    // is found across two of them.
    static QString foldedText(const TravelRecord& record);

private:
    void build();

    const RecordStore& m_store;
    bool m_built = false;
    std::vector<QString> m_texts;
};
