#pragma once

#include <QCollator>
#include <QString>

#include <vector>

class RecordStore;

// The keys by which a header click orders the rows of one column, computed once per sort.
// Date Visited and Date Modified order by date and time, Price by its amount (RecordValues);
// the texts that hold no date (or no number) come after those that do, whichever the order,
// and are ordered among themselves like the other columns: alphabetically in the user's
// language, ignoring letter case, with "é" beside "e".
class SortKeys
{
public:
    SortKeys(const RecordStore& store, int column);

    // The rows' new order: position p gets the row now at result[p]. Rows with equal keys
    // keep their order.
    std::vector<int> sortedOrder(Qt::SortOrder order) const;

private:
    struct Key
    {
        bool hasValue = false;
        double value = 0;
    };

    bool before(int a, int b, Qt::SortOrder order) const;

    std::vector<Key> m_keys;
    // Filled only for the rows without a value.
    std::vector<QCollatorSortKey> m_texts;
};
