#pragma once

#include "server/ConnectionPool.h"
#include "server/DatabaseAddress.h"
#include "server/RecordSearch.h"
#include "server/RowCache.h"
#include "server/SearchIndex.h"
#include "server/SharedRecord.h"
#include "server/SqlDialect.h"
#include "server/WriteOutcome.h"
#include "server/WriteQueue.h"
#include "store/TravelRecord.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

struct StoreCounts
{
    qint64 records = 0, posts = 0, installations = 0, aliases = 0;
};

// Writes per installation and hour.
struct StoreLimits
{
    int postsPerHour = 30;
    int recordsPerHour = 2000;
};

struct StoreOptions
{
    StoreLimits limits;
    // Connections to the database that the store opens at most, the writer's included (at
    // least two): a process never holds more, however many requests come at once.
    int connections = 8;
};

// The server's data: shared records, forum posts, installations (banned or not) and aliases,
// in an SQLite file or a PostgreSQL database with the same schema, brought up to date by
// open(). Every call may come from any thread: reads share a small pool of connections, writes
// go to one writer, and the record browser's searches are chosen by an index in memory.
class SharedRecordStore
{
public:
    using Limits = StoreLimits;
    static constexpr Limits kDefaultLimits{};

    // location: a file name, or "postgresql://user@host:port/dbname" (see DatabaseAddress).
    explicit SharedRecordStore(QString location, StoreOptions options = {});
    ~SharedRecordStore();
    SharedRecordStore(const SharedRecordStore&) = delete;
    SharedRecordStore& operator=(const SharedRecordStore&) = delete;

    // Connects and brings the schema up to date; false with error() set when that fails, or
    // when the database was made by a newer program.
    bool open();
    QString error() const;

    // Shares a record of an installation; alias empty for anonymous sharing.
    WriteOutcome shareRecord(const QString& installation, const QString& alias,
                             const TravelRecord& record, qint64 now);
    WriteOutcome postToForum(const QString& installation, const QString& alias,
                             const QString& text, const QString& stamp, qint64 now);
    // The same without waiting, for the server's event loop: done gets the outcome on the
    // writer thread once the write is committed, and must not block.
    void shareRecord(const QString& installation, const QString& alias, const TravelRecord& record,
                     qint64 now, WriteQueue::Done done);
    void postToForum(const QString& installation, const QString& alias, const QString& text,
                     const QString& stamp, qint64 now, WriteQueue::Done done);

    // Stores many records in one transaction without the checks of shareRecord, claiming their
    // installations and free aliases: for restoring an export, and for filling a database for
    // measurements. A record keeps its identifier when it has one; one that is stored already
    // (by identifier, or by installation and values) is left out. How many were added, or none
    // when the database failed (nothing is then added).
    std::optional<qint64> addRecordsInBulk(const QList<SharedRecord>& records);

    ResultPage<SharedRecord> findRecords(const RecordSearch& search);
    // Reads what searches keep in memory, so that the first search need not; false when it
    // could not be read.
    bool prepareSearches();
    // The shared records of each Country value, for the record browser's map: as the index
    // held them after the last search (the find page's own), without reading the database.
    std::optional<QList<std::pair<QString, qint64>>> countryCounts();
    std::optional<SharedRecord> recordById(const QString& identifier);
    ResultPage<ForumPost> posts(int page); // newest first, kPageSize a page
    // Every shared record in the order they were shared, handed to each in turn.
    bool forEachRecord(const std::function<void(const SharedRecord&)>& each);

    // Operator commands. false when nothing matched or the database failed (see error()).
    bool setBanned(const QString& installation, bool banned);
    bool removeRecord(const QString& identifier);
    bool removePost(const QString& identifier);
    std::optional<StoreCounts> counts();

    // 16 letters and digits: the time in milliseconds, then nine from the system's random
    // source. Identifiers drawn later sort after those drawn earlier.
    static QString newIdentifier();
    // The form of an alias that decides who owns it: letter case does not count.
    static QString aliasKey(const QString& alias) { return alias.toCaseFolded(); }

private:
    // Runs work on a connection of the pool; a failure sets the error to its reason.
    bool reading(const std::function<bool(PreparedStatements&)>& work);
    bool writing(const std::function<bool(PreparedStatements&)>& work);
    bool onPool(bool (ConnectionPool::*run)(const ConnectionPool::Work&),
                const std::function<bool(PreparedStatements&)>& work);
    bool failed(const QString& reason);
    // The writer of shares and posts, started by the first of them.
    WriteQueue& writes();
    // The writes themselves, holding copies of their values.
    WriteQueue::Job shareJob(const QString& installation, const QString& alias, const TravelRecord& record,
                             qint64 now) const;
    WriteQueue::Job postJob(const QString& installation, const QString& alias, const QString& text,
                            const QString& stamp, qint64 now) const;

    DatabaseAddress m_address;
    StoreOptions m_options;
    SqlDialect m_dialect;
    QString m_name; // of this store's connections
    mutable std::mutex m_errorLock;
    QString m_error;
    SearchIndex m_index;
    RowCache m_rows;
    std::unique_ptr<ConnectionPool> m_pool; // made by open()
    std::once_flag m_writesStarted;
    std::unique_ptr<WriteQueue> m_writes;
};
