#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

// How many connections each client address holds, so that one address cannot take every
// socket of the server. Thread-safe.
class ConnectionsPerAddress
{
public:
    explicit ConnectionsPerAddress(int most) : m_most(most) {} // 0: no cap

    // Counts one more connection of address; false, counting nothing, when it holds the most.
    bool admit(const std::string& address);
    // A connection that admit() counted has ended.
    void release(const std::string& address);

private:
    const int m_most;
    std::mutex m_lock;
    std::unordered_map<std::string, int> m_counts;
};
