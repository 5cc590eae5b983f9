#include "server/SortOrder.h"

#include <algorithm>
#include <cstring>
#include <numeric>

void SortOrder::add(quint32 slot, QByteArrayView key)
{
    Q_ASSERT(slot == size());
    m_bytes.insert(m_bytes.end(), key.begin(), key.end());
    m_start.push_back(quint32(m_bytes.size()));
    m_position.push_back(kRecent);
}

QByteArrayView SortOrder::key(quint32 slot) const
{
    return QByteArrayView(m_bytes.data() + m_start[slot], qsizetype(m_start[slot + 1] - m_start[slot]));
}

bool SortOrder::before(quint32 a, quint32 b) const
{
    const QByteArrayView first = key(a), second = key(b);
    // Keys may be empty, with no bytes behind them at all: memcmp may not be handed those.
    const size_t shorter = size_t(std::min(first.size(), second.size()));
    const int common = shorter == 0 ? 0 : std::memcmp(first.data(), second.data(), shorter);
    if (common != 0)
        return common < 0;
    return first.size() != second.size() ? first.size() < second.size() : a < b;
}

void SortOrder::settle()
{
    std::vector<quint32> added(size() - m_settled);
    std::iota(added.begin(), added.end(), m_settled);
    m_settled = size();
    // Many at once (the whole table when the server starts) are sorted and merged in one pass.
    if (added.size() >= std::max<size_t>(1024, m_sorted.size() / 16))
        return sortAll(std::move(added));
    for (const quint32 slot : added) {
        const auto at = std::upper_bound(m_sorted.begin(), m_sorted.end(), slot,
                                         [this](quint32 a, quint32 b) { return before(a, b); });
        const auto recent = std::upper_bound(m_recent.begin(), m_recent.end(), slot,
                                             [this](quint32 a, quint32 b) { return before(a, b); });
        m_recentAt.insert(m_recentAt.begin() + (recent - m_recent.begin()), quint32(at - m_sorted.begin()));
        m_recent.insert(recent, slot);
    }
    // Merging moves every slot; it waits until the recent ones are many.
    if (m_recent.size() >= std::max<size_t>(1024, m_sorted.size() / 16))
        mergeRecent();
}

quint64 SortOrder::headOf(quint32 slot) const
{
    const QByteArrayView bytes = key(slot);
    quint64 head = 0;
    for (qsizetype i = 0; i < 8; ++i)
        head = head << 8 | (i < bytes.size() ? quint8(bytes[i]) : 0);
    return head;
}

void SortOrder::sortAll(std::vector<quint32> added)
{
    const auto order = [this](quint32 a, quint32 b) { return before(a, b); };
    added.insert(added.end(), m_recent.begin(), m_recent.end());
    // Sorted by their first eight bytes as a number first: most comparisons of a whole table
    // then need no look at the keys themselves.
    std::vector<std::pair<quint64, quint32>> heads(added.size());
    for (size_t i = 0; i < added.size(); ++i)
        heads[i] = {headOf(added[i]), added[i]};
    std::sort(heads.begin(), heads.end(), [this](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : before(a.second, b.second);
    });
    for (size_t i = 0; i < added.size(); ++i)
        added[i] = heads[i].second;
    std::vector<quint32> sorted;
    sorted.reserve(m_sorted.size() + added.size());
    std::merge(m_sorted.begin(), m_sorted.end(), added.begin(), added.end(), std::back_inserter(sorted), order);
    m_sorted = std::move(sorted);
    m_recent.clear();
    m_recentAt.clear();
    for (quint32 at = 0; at < m_sorted.size(); ++at)
        m_position[m_sorted[at]] = at;
}

void SortOrder::mergeRecent()
{
    std::vector<quint32> sorted;
    sorted.reserve(m_sorted.size() + m_recent.size());
    visit([&](quint32 slot) {
        sorted.push_back(slot);
        return true;
    });
    m_sorted = std::move(sorted);
    m_recent.clear();
    m_recentAt.clear();
    for (quint32 at = 0; at < m_sorted.size(); ++at)
        m_position[m_sorted[at]] = at;
}

quint64 SortOrder::placeOf(quint32 slot) const
{
    const quint32 at = m_position[slot];
    if (at != kRecent)
        return quint64(at) << 32 | kRecent;
    const auto recent = std::lower_bound(m_recent.begin(), m_recent.end(), slot,
                                         [this](quint32 a, quint32 b) { return before(a, b); });
    const auto index = size_t(recent - m_recent.begin());
    return quint64(m_recentAt[index]) << 32 | quint32(index);
}
