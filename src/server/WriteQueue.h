#pragma once

#include "server/PreparedStatements.h"
#include "server/WriteOutcome.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// The writes of every request thread, made on one connection by a thread of its own and
// committed many to a transaction. The database takes one writer at a time anyway; queueing
// here instead of at the database's lock spares the waits of its busy handler, and one
// commit for a batch costs far less than one for each write. Each write runs in a savepoint:
// a write that is refused or fails leaves nothing behind, the others of its batch stay.
class WriteQueue
{
public:
    using Job = std::function<WriteOutcome(PreparedStatements&)>;

    // openConnection runs on the writer thread; beginWrite is the statement that starts a
    // write transaction.
    WriteQueue(std::function<QSqlDatabase()> openConnection, QString beginWrite);
    // Makes the writes already queued, then ends the thread.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // Runs job on the writer thread; returns its outcome once the batch holding it is
    // committed (Failed when the commit was not).
    WriteOutcome run(Job job);

    static constexpr int kMostInABatch = 256;

private:
    struct Pending
    {
        Job job;
        std::promise<WriteOutcome> outcome;
    };

    void serve();
    std::deque<Pending> takeBatch();
    static void write(PreparedStatements& statements, const QString& beginWrite, std::deque<Pending>& batch);

    std::function<QSqlDatabase()> m_openConnection;
    QString m_beginWrite;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Pending> m_pending;
    bool m_stopping = false;
    std::thread m_thread;
};
