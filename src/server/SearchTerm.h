#pragma once

#include "server/TermPostings.h"

#include <vector>

// One condition of a search: a word (every record that holds a word beginning with it) or the
// value of a filter (every record with exactly that value), with the slots of its records.
class SearchTerm
{
public:
    // A word: the slots of each word that begins with it.
    explicit SearchTerm(std::vector<const TermPostings::Slots*> lists);
    // A filter: the value numbers of every slot in that column, and the number asked for.
    SearchTerm(const std::vector<quint32>& valueOfSlot, quint32 number, const TermPostings::Slots& holders);

    // How many slots its lists hold (removed records included).
    size_t total() const { return m_total; }
    // Makes contains() quick for about tests calls over slots below slotCount.
    void prepare(size_t tests, quint32 slotCount);
    bool contains(quint32 slot) const;
    // Its slots below slotCount, each once, in increasing order.
    std::vector<quint32> everySlot(quint32 slotCount);

private:
    std::vector<const TermPostings::Slots*> m_lists;
    size_t m_total = 0;
    const std::vector<quint32>* m_valueOfSlot = nullptr;
    quint32 m_number = 0;
    std::vector<quint64> m_bits; // by slot, once prepared for many tests
};
