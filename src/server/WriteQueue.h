#pragma once

#include "server/PreparedStatements.h"
#include "server/WriteOutcome.h"

#include <atomic>
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
// commit for a batch costs far less than one for each write. Each write runs in a savepoint:
// a write that is refused or fails leaves nothing behind, the others of its batch stay.
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
        std::atomic<int> answered{0};
    };

    void serve();
    std::shared_ptr<Batch> takeBatch();
    void write(PreparedStatements& statements, Batch& batch) const;
    bool writeAll(PreparedStatements& statements, Batch& batch) const;

    std::function<QSqlDatabase()> m_openConnection;
    QString m_beginWrite;
    BatchEnd m_batchEnd;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Batch>> m_pending; // the last one still takes writes
    bool m_stopping = false;
    std::thread m_thread;
};
