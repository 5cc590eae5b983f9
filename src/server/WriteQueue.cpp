#include "server/WriteQueue.h"

#include <QSqlError>

using namespace Qt::StringLiterals;

WriteQueue::WriteQueue(std::function<QSqlDatabase()> openConnection, QString beginWrite)
    : m_openConnection(std::move(openConnection)), m_beginWrite(std::move(beginWrite)),
      m_thread([this] { serve(); })
{
}

WriteQueue::~WriteQueue()
{
    {
        std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

WriteOutcome WriteQueue::run(Job job)
{
    std::future<WriteOutcome> outcome;
    {
        std::lock_guard guard(m_lock);
        m_pending.push_back(Pending{std::move(job), {}});
        outcome = m_pending.back().outcome.get_future();
    }
    m_wake.notify_one();
    return outcome.get();
}

std::deque<WriteQueue::Pending> WriteQueue::takeBatch()
{
    std::unique_lock guard(m_lock);
    m_wake.wait(guard, [this] { return m_stopping || !m_pending.empty(); });
    std::deque<Pending> batch;
    while (!m_pending.empty() && int(batch.size()) < kMostInABatch) {
        batch.push_back(std::move(m_pending.front()));
        m_pending.pop_front();
    }
    return batch;
}

void WriteQueue::serve()
{
    // The statements go before the connection does, both on this thread.
    PreparedStatements statements(m_openConnection());
    for (;;) {
        std::deque<Pending> batch = takeBatch();
        if (batch.empty())
            return; // stopping, and nothing is left to write
        write(statements, m_beginWrite, batch);
    }
}

void WriteQueue::write(PreparedStatements& statements, const QString& beginWrite, std::deque<Pending>& batch)
{
    const auto failAll = [&batch](const QString& reason) {
        for (Pending& pending : batch)
            pending.outcome.set_value({WriteOutcome::Status::Failed, {}, reason});
    };
    QSqlDatabase& db = statements.database();
    if (!db.isOpen() && !db.open()) // opened again after a failure, not kept closed for good
        return failAll(db.lastError().text());
    if (!statements.execute(beginWrite))
        return failAll(statements.lastError());
    std::vector<WriteOutcome> outcomes;
    outcomes.reserve(batch.size());
    for (Pending& pending : batch) {
        if (!statements.control(u"SAVEPOINT write"_s))
            break;
        WriteOutcome outcome = pending.job(statements);
        const bool kept = outcome.status == WriteOutcome::Status::Stored;
        if ((!kept && !statements.control(u"ROLLBACK TO SAVEPOINT write"_s)) ||
            !statements.control(u"RELEASE SAVEPOINT write"_s))
            break; // what this write left can no longer be undone on its own
        outcomes.push_back(std::move(outcome));
    }
    statements.finishAll();
    if (outcomes.size() < batch.size()) {
        const QString reason = statements.lastError();
        statements.execute(u"ROLLBACK"_s);
        return failAll(reason);
    }
    if (!statements.execute(u"COMMIT"_s)) {
        const QString reason = statements.lastError();
        statements.execute(u"ROLLBACK"_s);
        return failAll(reason);
    }
    for (size_t i = 0; i < batch.size(); ++i)
        batch[i].outcome.set_value(std::move(outcomes[i]));
}
