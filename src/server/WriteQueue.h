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
// A writer either waits for its outcome (run) or is handed it once its batch is committed
// (submit), so that an event loop can queue writes without waiting for the database.
class WriteQueue
{
public:
    using Job = std::function<WriteOutcome(PreparedStatements&)>;
    using Done = std::function<void(WriteOutcome)>;
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
    // The same without waiting: done gets the outcome on the writer thread after the commit,
    // so it must be quick and must not block.
    void submit(Job job, Done done);

    static constexpr int kMostInABatch = 256;

private:
    struct Batch
    {
        std::vector<Job> jobs;
        std::vector<Done> dones;
        std::vector<WriteOutcome> outcomes;
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
