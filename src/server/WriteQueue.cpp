#include "server/WriteQueue.h"

#include <QSqlError>

#include <optional>

using namespace Qt::StringLiterals;

WriteQueue::WriteQueue(DatabaseAddress address, const QString& name, QStringList begin)
    : m_address(std::move(address)), m_begin(std::move(begin)), m_thread([this, name] { serve(name); })
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
    // A condition variable, not an atomic wait: the standard library's atomic wait spins and
    // yields before it sleeps, and many waiting threads spinning take the processor from the
    // writer they wait for.
    struct Answer
    {
        std::mutex lock;
        std::condition_variable given;
        std::optional<WriteOutcome> outcome;
    };
    const auto answer = std::make_shared<Answer>();
    submit(std::move(job), [answer](WriteOutcome outcome) {
        {
            std::lock_guard guard(answer->lock);
            answer->outcome = std::move(outcome);
        }
        answer->given.notify_one();
    });
    std::unique_lock guard(answer->lock);
    answer->given.wait(guard, [&] { return answer->outcome.has_value(); });
    return std::move(*answer->outcome);
}

void WriteQueue::submit(Job job, Done done)
{
    {
        std::lock_guard guard(m_lock);
        if (m_pending.empty() || int(m_pending.back()->jobs.size()) >= kMostInABatch)
            m_pending.push_back(std::make_shared<Batch>());
        m_pending.back()->jobs.push_back(std::move(job));
        m_pending.back()->dones.push_back(std::move(done));
    }
    m_wake.notify_one();
}

std::shared_ptr<WriteQueue::Batch> WriteQueue::takeBatch()
{
    std::unique_lock guard(m_lock);
    m_wake.wait(guard, [this] { return m_stopping || !m_pending.empty(); });
    if (m_pending.empty())
        return {};
    std::shared_ptr<Batch> batch = std::move(m_pending.front());
    m_pending.pop_front();
    return batch;
}

void WriteQueue::serve(const QString& name)
{
    {
        // The statements go before the connection does, both on this thread.
        PreparedStatements statements(m_address.add(name));
        while (const std::shared_ptr<Batch> batch = takeBatch()) {
            write(statements, *batch);
            for (size_t i = 0; i < batch->dones.size(); ++i)
                batch->dones[i](std::move(batch->outcomes[i]));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void WriteQueue::write(PreparedStatements& statements, Batch& batch) const
{
    for (int attempt = 0;; ++attempt) {
        batch.outcomes.clear();
        batch.outcomes.reserve(batch.jobs.size());
        const Ending ending = writeAll(statements, batch);
        if (ending == Ending::Committed)
            return;
        QSqlDatabase& db = statements.database();
        // A connection that would not open has no statement error to tell.
        const QString reason = m_address.withoutSecrets(db.isOpen() ? statements.lastError() : db.lastError().text());
        if (statements.reachable()) {
            statements.execute(u"ROLLBACK"_s);
            batch.outcomes.assign(batch.jobs.size(), WriteOutcome{WriteOutcome::Status::Failed, {}, reason});
            return;
        }
        // The database rolls back what a dropped connection had not committed.
        statements.reset();
        if (attempt > 0 || ending == Ending::CommitUnanswered || !m_address.open(db)) {
            batch.outcomes.assign(batch.jobs.size(), WriteOutcome{WriteOutcome::Status::Unavailable, {}, reason});
            return;
        }
    }
}

WriteQueue::Ending WriteQueue::writeAll(PreparedStatements& statements, Batch& batch) const
{
    QSqlDatabase& db = statements.database();
    if (!db.isOpen() && !m_address.open(db))
        return Ending::Failed;
    // Nearly every batch keeps all its writes: it is written without a savepoint for each.
    // A batch with a write that was refused or failed is rolled back and written again with
    // them, so that what such a write left does not stay.
    if (!begin(statements))
        return Ending::Failed;
    if (writeEach(statements, batch, false))
        return commit(statements);
    batch.outcomes.clear();
    if (!statements.execute(u"ROLLBACK"_s) || !begin(statements))
        return Ending::Failed;
    return writeEach(statements, batch, true) ? commit(statements) : Ending::Failed;
}

bool WriteQueue::begin(PreparedStatements& statements) const
{
    for (const QString& statement : m_begin) {
        if (!statements.control(statement))
            return false;
    }
    return true;
}

bool WriteQueue::writeEach(PreparedStatements& statements, Batch& batch, bool inSavepoints) const
{
    for (const Job& job : batch.jobs) {
        if (inSavepoints && !statements.control(u"SAVEPOINT write"_s))
            return false;
        WriteOutcome outcome = job(statements);
        const bool kept = outcome.status == WriteOutcome::Status::Stored;
        if (!inSavepoints && !kept)
            return false;
        if (inSavepoints && ((!kept && !statements.control(u"ROLLBACK TO SAVEPOINT write"_s)) ||
                             !statements.control(u"RELEASE SAVEPOINT write"_s)))
            return false; // what this write left can no longer be undone on its own
        batch.outcomes.push_back(std::move(outcome));
    }
    return true;
}

WriteQueue::Ending WriteQueue::commit(PreparedStatements& statements)
{
    statements.finishAll();
    return statements.execute(u"COMMIT"_s) ? Ending::Committed : Ending::CommitUnanswered;
}
