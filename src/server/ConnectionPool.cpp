#include "server/ConnectionPool.h"

ConnectionPool::ConnectionPool(DatabaseAddress address, const QString& name, int size)
    : m_address(std::move(address)), m_name(name), m_size(qMax(1, size))
{
}

ConnectionPool::~ConnectionPool()
{
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool ConnectionPool::read(const Work& work)
{
    return hand(work, true);
}

bool ConnectionPool::write(const Work& work)
{
    return hand(work, false);
}

bool ConnectionPool::hand(const Work& work, bool again)
{
    std::call_once(m_started, [this] {
        for (int i = 0; i < m_size; ++i)
            m_threads.emplace_back([this, connection = m_name + QString::number(i)] { serve(connection); });
    });
    Task task{work, again, {}, {}, false, false};
    {
        std::lock_guard guard(m_lock);
        m_tasks.push_back(&task);
    }
    m_wake.notify_one();
    std::unique_lock waiting(task.lock);
    task.finished.wait(waiting, [&] { return task.done; });
    return task.ok;
}

void ConnectionPool::serve(const QString& name)
{
    {
        // The statements go before the connection does, both on this thread.
        PreparedStatements statements(m_address.add(name));
        for (;;) {
            std::unique_lock guard(m_lock);
            m_wake.wait(guard, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                break;
            Task* task = m_tasks.front();
            m_tasks.pop_front();
            guard.unlock();
            const bool ok = perform(m_address, statements, *task);
            // Woken under the task's lock: the task is the caller's, gone once it sees done.
            std::lock_guard answer(task->lock);
            task->ok = ok;
            task->done = true;
            task->finished.notify_one();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

bool ConnectionPool::perform(const DatabaseAddress& address, PreparedStatements& statements, Task& task)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!statements.database().isOpen() && !address.open(statements.database()))
            return false;
        bool ok = task.work(statements);
        statements.finishAll();
        if (ok)
            return true;
        if (statements.reachable())
            return false;
        statements.reset();
        if (!task.again)
            return false;
    }
    return false;
}
