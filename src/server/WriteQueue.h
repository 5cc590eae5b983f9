#pragma once

#include "server/PreparedStatements.h"
#include "server/WriteOutcome.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The writes of every request thread, made on one connection by a thread of its own and
// committed many to a transaction. The database takes one writer at a time anyway; queueing
// here instead of at the database's lock spares the waits of its busy handler, and one
// commit for a batch costs far less than one for each write. A write that is refused or fails
// leaves nothing behind, the others of its batch stay.
// The writers of a batch are woken together once it is committed, not one by one.
class WriteQueue
{
public:
    using Job = std::function<WriteOutcome(PreparedStatements&)>;
    // Runs in each batch's transaction after its writes, before the commit; false fails
    // the batch.
    using BatchEnd = std::function<bool(PreparedStatements&)>;

    // openConnection runs on the writer thread; beginWrite is the statement that starts a
    // write transaction.
    WriteQueue(std::function<QSqlDatabase()> openConnection, QString beginWrite, BatchEnd batchEnd = {});
    // Makes the writes already queued, then ends the thread.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // Runs job on the writer thread; returns its outcome once the batch holding it is
    // committed (Failed when the commit was not).
    WriteOutcome run(Job job);

    static constexpr int kMostInABatch = 256;

private:
    struct Batch
    {
        std::vector<Job> jobs;
        std::vector<WriteOutcome> outcomes;
        // A condition variable, not an atomic wait: the standard library's atomic wait spins
        // and yields before it sleeps, and dozens of waiting request threads spinning take
        // the processor from the writer they wait for.
        std::mutex lock;
        std::condition_variable done;
        bool answered = false;
    };

    void serve();
    std::shared_ptr<Batch> takeBatch();
    void write(PreparedStatements& statements, Batch& batch) const;
    bool writeAll(PreparedStatements& statements, Batch& batch) const;
    bool writeEach(PreparedStatements& statements, Batch& batch, bool inSavepoints) const;
    bool commit(PreparedStatements& statements) const;

    std::function<QSqlDatabase()> m_openConnection;
    QString m_beginWrite;
    BatchEnd m_batchEnd;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Batch>> m_pending; // the last one still takes writes
    bool m_stopping = false;
    std::thread m_thread;
};
