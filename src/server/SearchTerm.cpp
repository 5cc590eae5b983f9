#include "server/SearchTerm.h"

#include <algorithm>
#include <bit>

SearchTerm::SearchTerm(std::vector<const TermPostings::Slots*> lists) : m_lists(std::move(lists))
{
    for (const TermPostings::Slots* list : m_lists)
        m_total += list->size();
}

SearchTerm::SearchTerm(const std::vector<quint32>& valueOfSlot, quint32 number, const TermPostings::Slots& holders)
    : m_lists{&holders}, m_total(holders.size()), m_valueOfSlot(&valueOfSlot), m_number(number)
{
}

void SearchTerm::prepare(size_t tests, quint32 slotCount)
{
    if (m_valueOfSlot || !m_bits.empty())
        return;
    // A test halves each list: some 20 steps in a large one, each a read from far away in
    // memory, some ten times the cost of a step that sets a bit. A table of bits costs such a
    // step for each slot of the lists, once.
    if (m_lists.size() <= 4 && tests * 200 * m_lists.size() < m_total)
        return;
    m_bits.assign(size_t(slotCount) / 64 + 1, 0);
    for (const TermPostings::Slots* list : m_lists) {
        for (const quint32 slot : *list)
            m_bits[slot / 64] |= quint64(1) << (slot % 64);
    }
}

bool SearchTerm::contains(quint32 slot) const
{
    if (m_valueOfSlot)
        return (*m_valueOfSlot)[slot] == m_number;
    if (!m_bits.empty())
        return slot / 64 < m_bits.size() && (m_bits[slot / 64] >> (slot % 64) & 1) != 0;
    return std::any_of(m_lists.begin(), m_lists.end(), [slot](const TermPostings::Slots* list) {
        return std::binary_search(list->begin(), list->end(), slot);
    });
}

std::vector<quint32> SearchTerm::everySlot(quint32 slotCount)
{
    if (m_lists.size() == 1)
        return *m_lists.front();
    // The table of bits gives them sorted and each once, without sorting all the lists' slots.
    prepare(m_total, slotCount);
    std::vector<quint32> all;
    for (size_t word = 0; word < m_bits.size(); ++word) {
        for (quint64 bits = m_bits[word]; bits != 0; bits &= bits - 1)
            all.push_back(quint32(word * 64 + size_t(std::countr_zero(bits))));
    }
    return all;
}
