#pragma once

#include "store/TravelRecord.h"

#include <QByteArray>
#include <QList>

#include <vector>

// The records in list order, plus the file lines that could not be read, which are kept so
// that a rewrite of the file puts them back instead of dropping them.
class RecordTable
{
public:
    // Row numbers and counts are 16-bit integers throughout the program: no more rows fit.
    static constexpr int MaxRows = 32767;

    int rowCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool isFull() const { return rowCount() >= MaxRows; }

    const TravelRecord& row(int index) const { return m_rows[size_t(index)]; }
    TravelRecord& row(int index) { return m_rows[size_t(index)]; }

    void append(TravelRecord record) { m_rows.push_back(std::move(record)); }
    // Moves the rows and unreadable lines of another table behind these.
    void appendTable(RecordTable other);
    void insert(int index, TravelRecord record);
    void remove(int index);
    void clear();
    void reserve(int rows) { m_rows.reserve(size_t(rows)); }

    // Reorders the rows; the order of the rows is then the order in which they are stored.
    void reorder(const std::vector<int>& newOrder);

    const QList<QByteArray>& unreadableLines() const { return m_unreadable; }
    void addUnreadableLine(QByteArray line) { m_unreadable.append(std::move(line)); }

private:
    std::vector<TravelRecord> m_rows;
    QList<QByteArray> m_unreadable;
};
