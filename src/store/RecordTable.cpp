#include "store/RecordTable.h"

#include <iterator>

void RecordTable::insert(int index, TravelRecord record)
{
    m_rows.insert(m_rows.begin() + index, std::move(record));
}

void RecordTable::appendTable(RecordTable other)
{
    m_rows.insert(m_rows.end(), std::make_move_iterator(other.m_rows.begin()),
                  std::make_move_iterator(other.m_rows.end()));
    m_unreadable.append(std::move(other.m_unreadable));
}

void RecordTable::remove(int index)
{
    m_rows.erase(m_rows.begin() + index);
}

void RecordTable::clear()
{
    m_rows.clear();
    m_unreadable.clear();
}

void RecordTable::reorder(const std::vector<int>& newOrder)
{
    std::vector<TravelRecord> rows;
    rows.reserve(newOrder.size());
    for (const int from : newOrder)
        rows.push_back(std::move(m_rows[size_t(from)]));
    m_rows = std::move(rows);
}
