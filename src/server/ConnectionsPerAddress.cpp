#include "server/ConnectionsPerAddress.h"

bool ConnectionsPerAddress::admit(const std::string& address)
{
    std::lock_guard guard(m_lock);
    int& count = m_counts[address];
    if (m_most > 0 && count >= m_most)
        return false;
    ++count;
    return true;
}

void ConnectionsPerAddress::release(const std::string& address)
{
    std::lock_guard guard(m_lock);
    const auto found = m_counts.find(address);
    if (found != m_counts.end() && --found->second <= 0)
        m_counts.erase(found); // the table holds only addresses that are connected
}
