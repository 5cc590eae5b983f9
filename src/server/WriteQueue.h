#pragma once

#include "server/DatabaseAddress.h"
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
// A connection that the database dropped (it restarted) is opened again: a batch that it
// dropped before the commit is written again on the new one; one whose commit went unanswered
// is Unavailable, and so is every batch while the database cannot be reached.
class WriteQueue
{
public:
    using Job = std::function<WriteOutcome(PreparedStatements&)>;
    using Done = std::function<void(WriteOutcome)>;

    // begin: the statements that start a write transaction and take the write lock.
    WriteQueue(DatabaseAddress address, const QString& name, QStringList begin);
    // Makes the writes already queued, then ends the thread.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // Runs job on the writer thread; returns its outcome once the batch holding it is
    // committed (Failed or Unavailable when it was not).
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
    enum class Ending { Committed, Failed, CommitUnanswered };

    void serve(const QString& name);
    std::shared_ptr<Batch> takeBatch();
    void write(PreparedStatements& statements, Batch& batch) const;
    Ending writeAll(PreparedStatements& statements, Batch& batch) const;
    bool begin(PreparedStatements& statements) const;
    bool writeEach(PreparedStatements& statements, Batch& batch, bool inSavepoints) const;
    static Ending commit(PreparedStatements& statements);

    DatabaseAddress m_address;
    QStringList m_begin;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Batch>> m_pending; // the last one still takes writes
    bool m_stopping = false;
    std::thread m_thread;
};
