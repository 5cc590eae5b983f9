#include "server/RowCache.h"

std::optional<SharedRecord> RowCache::find(qint64 seq)
{
    std::lock_guard guard(m_lock);
    if (const auto found = m_newer.constFind(seq); found != m_newer.cend())
        return *found;
    const auto older = m_older.constFind(seq);
    if (older == m_older.cend())
        return std::nullopt;
    const SharedRecord row = *older; // asked for again: it goes with the newer ones
    m_older.erase(older);
    m_newer.insert(seq, row);
    return row;
}

void RowCache::keep(qint64 seq, const SharedRecord& row)
{
    std::lock_guard guard(m_lock);
    if (m_newer.size() >= kRows) {
        m_older = std::move(m_newer);
        m_newer.clear();
    }
    m_newer.insert(seq, row);
}
