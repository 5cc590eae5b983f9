#pragma once

#include <QByteArrayView>

#include <vector>

// The records in the order of one of the browser's sort keys: by the key's bytes (UTF-8, as
// SQLite compares text), and records with the same key in the order they came. It stays exact
// as records come, without moving the whole order for each: most records lie in one array,
// each with its position in it; those that came since wait in a short list of their own, each
// with the position in that array it goes before, until they are many and are merged in.
// Removed records keep their places; whoever visits the order skips them.
class SortOrder
{
public:
    // Adds the key of the record in slot, the next slot (0, 1, 2 ...).
    void add(quint32 slot, QByteArrayView key);
    // Places the records added since the last call.
    void settle();
    quint32 size() const { return quint32(m_position.size()); }

    // Visits the slots in order until visit returns false.
    template <typename Visit> void visit(Visit visit) const
    {
        size_t recent = 0;
        for (size_t at = 0; at <= m_sorted.size(); ++at) {
            for (; recent < m_recent.size() && m_recentAt[recent] == at; ++recent) {
                if (!visit(m_recent[recent]))
                    return;
            }
            if (at < m_sorted.size() && !visit(m_sorted[at]))
                return;
        }
    }
    // A number for the slot's place in the order: a lower one comes first.
    quint64 placeOf(quint32 slot) const;

private:
    static constexpr quint32 kRecent = ~quint32(0);

    QByteArrayView key(quint32 slot) const;
    bool before(quint32 a, quint32 b) const;
    // The first eight bytes of a slot's key, zero-padded, as a number that orders as they do.
    quint64 headOf(quint32 slot) const;
    void sortAll(std::vector<quint32> added);
    void mergeRecent();

    std::vector<char> m_bytes;        // the keys one after another
    std::vector<quint32> m_start{0};  // where the key of a slot starts; it ends where the next starts
    std::vector<quint32> m_sorted;    // slots in order
    std::vector<quint32> m_position;  // by slot: where it is in m_sorted, or kRecent
    std::vector<quint32> m_recent;    // slots placed since the last merge, in order
    std::vector<quint32> m_recentAt;  // for each of m_recent: the position in m_sorted it goes before
    quint32 m_settled = 0;            // the slots below are placed
};
