#pragma once

#include "server/DatabaseAddress.h"
#include "server/PreparedStatements.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A fixed number of database connections shared by every request thread, so that a process
// never holds more than that many however many requests come at once. A Qt SQL connection is
// used only by the thread that opened it, so each connection has a thread of its own, and a
// caller hands its work to the next free one and waits for it. Connections open on their first
// work, and the threads with the first work of all (a process that stops on a signal takes
// it on one thread, and blocks it in every thread started after); a connection that the
// database dropped (a restart) is opened again for the next work.
class ConnectionPool
{
public:
    // Work on a connection's statements; false when the database failed it.
    using Work = std::function<bool(PreparedStatements&)>;

    ConnectionPool(DatabaseAddress address, const QString& name, int size);
    // Finishes the work already handed in, then closes the connections.
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    // Runs work that only reads; when it fails because the connection was dropped, runs it
    // once more on the connection opened again. False when the database failed it.
    bool read(const Work& work);
    // Runs work that writes: never twice, since a write may have been saved before the
    // connection went. False when the database failed it.
    bool write(const Work& work);

private:
    // Waited for under a lock of its own, not the pool's: the pool's lock is held only to take
    // work from the queue.
    struct Task
    {
        const Work& work;
        bool again;
        std::mutex lock;
        std::condition_variable finished;
        bool done = false;
        bool ok = false;
    };

    bool hand(const Work& work, bool again);
    void serve(const QString& name);
    static bool perform(const DatabaseAddress& address, PreparedStatements& statements, Task& task);

    DatabaseAddress m_address;
    QString m_name;
    int m_size;
    std::once_flag m_started;
    std::mutex m_lock;
    std::condition_variable m_wake; // a task came, or the pool ends
    std::deque<Task*> m_tasks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
