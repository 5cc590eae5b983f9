#pragma once

#include <QByteArrayView>

#include <optional>
#include <vector>

// Texts (the words of the records, or the values of one of their columns), numbered in the
// order they first came, each with the slots of the records that hold it in the order those
// were added. A text is found exactly, or with every other that begins the same way.
// Memory is a few bytes a text beyond the text itself: the texts lie one after another in
// one block, and the table that finds them holds only their numbers.
class TermPostings
{
public:
    using Slots = std::vector<quint32>;

    // Notes that the record in slot holds text; the slots of one text come in increasing
    // order. Returns the text's number.
    quint32 add(QByteArrayView text, quint32 slot);
    std::optional<quint32> find(QByteArrayView text) const;
    // The numbers of every text that begins with prefix (all of them for an empty one).
    std::vector<quint32> startingWith(QByteArrayView prefix) const;
    // Places the texts added since the last call in the order that startingWith() reads.
    void settle();

    const Slots& slotsOf(quint32 number) const { return m_slots[number]; }
    QByteArrayView text(quint32 number) const;
    quint32 count() const { return quint32(m_slots.size()); }

private:
    std::optional<quint32> find(QByteArrayView text, size_t* place) const;
    void grow();
    bool before(quint32 a, quint32 b) const;
    void startingWith(const std::vector<quint32>& sorted, QByteArrayView prefix, std::vector<quint32>* found) const;

    std::vector<char> m_bytes;           // the texts one after another
    std::vector<quint32> m_start{0};     // where text n starts; text n ends where n + 1 starts
    std::vector<quint32> m_table;        // open addressing by hash: number + 1, or 0 where free
    std::vector<Slots> m_slots;          // by number
    std::vector<quint32> m_sorted;       // numbers in the byte order of their texts
    std::vector<quint32> m_recent;       // those added since, in the same order, until merged
    quint32 m_settled = 0;               // the numbers below are in m_sorted or m_recent
};
