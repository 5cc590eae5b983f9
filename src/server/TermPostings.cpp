#include "server/TermPostings.h"

#include <algorithm>
#include <cstring>

namespace {

size_t hashOf(QByteArrayView text)
{
    // FNV-1a: quick on the short texts of words and values, and well spread.
    quint64 hash = 14695981039346656037ull;
    for (const char c : text)
        hash = (hash ^ quint8(c)) * 1099511628211ull;
    return size_t(hash);
}

int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const size_t shorter = size_t(std::min(a.size(), b.size()));
    const int common = shorter == 0 ? 0 : std::memcmp(a.data(), b.data(), shorter); // an empty text has no bytes
    return common != 0 ? common : (a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0);
}

} // namespace

QByteArrayView TermPostings::text(quint32 number) const
{
    return QByteArrayView(m_bytes.data() + m_start[number], qsizetype(m_start[number + 1] - m_start[number]));
}

std::optional<quint32> TermPostings::find(QByteArrayView text) const
{
    size_t place = 0;
    return find(text, &place);
}

std::optional<quint32> TermPostings::find(QByteArrayView text, size_t* place) const
{
    if (m_table.empty())
        return std::nullopt;
    const size_t mask = m_table.size() - 1;
    for (size_t at = hashOf(text) & mask;; at = (at + 1) & mask) {
        if (m_table[at] == 0) {
            *place = at;
            return std::nullopt;
        }
        if (this->text(m_table[at] - 1) == text)
            return m_table[at] - 1;
    }
}

quint32 TermPostings::add(QByteArrayView text, quint32 slot)
{
    if (2 * (m_slots.size() + 1) > m_table.size())
        grow();
    size_t place = 0;
    std::optional<quint32> number = find(text, &place);
    if (!number) {
        number = count();
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_start.push_back(quint32(m_bytes.size()));
        m_slots.emplace_back();
        m_table[place] = *number + 1;
    }
    Slots& holders = m_slots[*number];
    if (holders.empty() || holders.back() != slot)
        holders.push_back(slot);
    return *number;
}

void TermPostings::grow()
{
    m_table.assign(std::max<size_t>(1024, 2 * m_table.size()), 0);
    const size_t mask = m_table.size() - 1;
    for (quint32 number = 0; number < count(); ++number) {
        size_t at = hashOf(text(number)) & mask;
        while (m_table[at] != 0)
            at = (at + 1) & mask;
        m_table[at] = number + 1;
    }
}

bool TermPostings::before(quint32 a, quint32 b) const
{
    return compareBytes(text(a), text(b)) < 0;
}

void TermPostings::settle()
{
    std::vector<quint32> added(count() - m_settled);
    for (quint32 i = 0; i < added.size(); ++i)
        added[i] = m_settled + i;
    m_settled = count();
    const auto order = [this](quint32 a, quint32 b) { return before(a, b); };
    std::sort(added.begin(), added.end(), order);
    // A few texts go in one by one, by halving; many are merged in one pass.
    if (added.size() < 64) {
        for (const quint32 number : added)
            m_recent.insert(std::upper_bound(m_recent.begin(), m_recent.end(), number, order), number);
    } else {
        std::vector<quint32> recent;
        recent.reserve(m_recent.size() + added.size());
        std::merge(m_recent.begin(), m_recent.end(), added.begin(), added.end(), std::back_inserter(recent), order);
        m_recent = std::move(recent);
    }
    // Merging into the whole order compares every text; it waits until the recent ones are
    // many, so that it costs a few comparisons for each text added.
    if (m_recent.size() < std::max<size_t>(1024, m_sorted.size() / 8))
        return;
    std::vector<quint32> sorted;
    sorted.reserve(m_sorted.size() + m_recent.size());
    std::merge(m_sorted.begin(), m_sorted.end(), m_recent.begin(), m_recent.end(), std::back_inserter(sorted), order);
    m_sorted = std::move(sorted);
    m_recent.clear();
}

void TermPostings::startingWith(const std::vector<quint32>& sorted, QByteArrayView prefix,
                                std::vector<quint32>* found) const
{
    auto at = std::partition_point(sorted.begin(), sorted.end(),
                                   [&](quint32 number) { return compareBytes(text(number), prefix) < 0; });
    for (; at != sorted.end() && text(*at).startsWith(prefix); ++at)
        found->push_back(*at);
}

std::vector<quint32> TermPostings::startingWith(QByteArrayView prefix) const
{
    std::vector<quint32> found;
    startingWith(m_sorted, prefix, &found);
    startingWith(m_recent, prefix, &found);
    return found;
}
