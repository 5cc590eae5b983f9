#include "server/SharedRecordStore.h"

#include "server/SharedRecordRow.h"
#include "server/SqlRun.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

bool isPostgresLocation(const QString& location)
{
    return location.startsWith(u"postgresql://"_s) || location.startsWith(u"postgres://"_s);
}

// The connections a thread opened; closed and removed when the thread ends, since a Qt SQL
// connection may only be used and closed by the thread that made it.
struct ThreadConnections
{
    QStringList names;
    ~ThreadConnections()
    {
        for (const QString& name : names) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
};
thread_local ThreadConnections t_connections;

std::atomic<quint64> g_storeNumber{0};

// The text of column 19 as yyyy-MM-dd when it is a MM-dd-yyyy date, so that dates sort.
QString dateKey(const QString& visited)
{
    const QStringList parts = visited.trimmed().split(u'-');
    if (parts.size() == 3 && parts[2].size() == 4)
        return parts[2] + u'-' + parts[0].rightJustified(2, u'0') + u'-' +
               parts[1].rightJustified(2, u'0');
    return visited;
}

// The 23 values that make a record the same record again; the upload mark does not count.
QString contentKey(const TravelRecord& record)
{
    const QByteArrayView line = record.storedLine();
    const QByteArrayView values = line.first(line.size() - record.fieldBytes(RecordColumns::UploadMark).size() - 1);
    return QString::fromLatin1(QCryptographicHash::hash(values, QCryptographicHash::Sha256).toHex());
}

// A transaction that rolls back unless committed.
class WriteTransaction
{
public:
    WriteTransaction(QSqlDatabase& db, const SqlDialect& dialect) : m_db(db)
    {
        QSqlQuery begin(db);
        m_open = begin.exec(dialect.beginWrite());
        if (!m_open)
            m_error = begin.lastError().text();
    }
    ~WriteTransaction()
    {
        if (m_open)
            QSqlQuery(m_db).exec(u"ROLLBACK"_s);
    }
    bool isOpen() const { return m_open; }
    QString error() const { return m_error; } // why it did not open
    bool commit()
    {
        m_open = false;
        return QSqlQuery(m_db).exec(u"COMMIT"_s);
    }

private:
    QSqlDatabase& m_db;
    bool m_open = false;
    QString m_error;
};

} // namespace

SharedRecordStore::SharedRecordStore(QString location, Limits limits, SearchWindow searchWindow)
    : m_location(std::move(location)), m_limits(limits), m_searchWindow(searchWindow), m_dialect(engine()),
      m_connectionPrefix(u"roamlog-server-%1-"_s.arg(++g_storeNumber))
{
    if (m_dialect.engine() == SqlDialect::Engine::Sqlite && m_searchWindow.keysInMemory)
        m_sortKeys = std::make_unique<SortKeyIndex>();
}

SharedRecordStore::~SharedRecordStore()
{
    // The connection of the thread that made the store; those of worker threads went with them.
    const QString name = m_connectionPrefix + QString::number(quintptr(QThread::currentThreadId()));
    if (t_connections.names.removeAll(name) > 0) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

SqlDialect::Engine SharedRecordStore::engine() const
{
    return isPostgresLocation(m_location) ? SqlDialect::Engine::Postgres : SqlDialect::Engine::Sqlite;
}

QSqlDatabase SharedRecordStore::connection()
{
    const QString name = m_connectionPrefix + QString::number(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    QSqlDatabase db;
    if (m_dialect.engine() == SqlDialect::Engine::Postgres) {
        const QUrl url(m_location);
        db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
    } else {
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(m_location);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
    }
    t_connections.names << name;
    if (db.open() && m_dialect.engine() == SqlDialect::Engine::Postgres)
        QSqlQuery(db).exec(u"SET client_min_messages TO WARNING"_s); // no notices on the console
    if (db.isOpen() && m_dialect.engine() == SqlDialect::Engine::Sqlite) {
        // Readers never wait for the writer, and a commit need not wait for the disk.
        QSqlQuery(db).exec(u"PRAGMA journal_mode=WAL"_s);
        QSqlQuery(db).exec(u"PRAGMA synchronous=NORMAL"_s);
        // A search reads many rows at random; mapped, they are read without a copy each.
        QSqlQuery(db).exec(u"PRAGMA mmap_size=1073741824"_s);
        // The pages that each write's savepoint keeps for undoing it stay in memory.
        QSqlQuery(db).exec(u"PRAGMA temp_store=MEMORY"_s);
    }
    return db;
}

bool SharedRecordStore::open()
{
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        m_error = u"cannot open the database %1: %2"_s.arg(
            m_dialect.engine() == SqlDialect::Engine::Postgres ? QUrl(m_location).toString(QUrl::RemovePassword)
                                                                : m_location,
            db.lastError().text());
        return false;
    }
    return migrate(db);
}

QList<QStringList> SharedRecordStore::migrations() const
{
    const QString serial = m_dialect.serialKey();
    // Migration n brings the schema from version n - 1 to n.
    return {
        QStringList{
            u"CREATE TABLE installations (mac TEXT PRIMARY KEY, banned INTEGER NOT NULL DEFAULT 0)"_s,
            u"CREATE TABLE aliases (alias_key TEXT PRIMARY KEY, alias TEXT NOT NULL, mac TEXT NOT NULL)"_s,
            u"CREATE TABLE records (seq %1, id TEXT NOT NULL UNIQUE, mac TEXT NOT NULL, "
            "alias TEXT NOT NULL, content_key TEXT NOT NULL, shared_at BIGINT NOT NULL, "
            "line TEXT NOT NULL, place TEXT NOT NULL, city TEXT NOT NULL, country TEXT NOT NULL, "
            "type TEXT NOT NULL, satisfaction TEXT NOT NULL, date_key TEXT NOT NULL, "
            "comments TEXT NOT NULL, UNIQUE (mac, content_key))"_s.arg(serial),
            u"CREATE INDEX records_mac_time ON records (mac, shared_at)"_s,
            u"CREATE INDEX records_place ON records (place, seq)"_s,
            u"CREATE INDEX records_city ON records (city, seq)"_s,
            u"CREATE INDEX records_country ON records (country, seq)"_s,
            u"CREATE INDEX records_date ON records (date_key, seq)"_s,
            u"CREATE INDEX records_type ON records (type)"_s,
            u"CREATE TABLE posts (seq %1, id TEXT NOT NULL UNIQUE, mac TEXT NOT NULL, "
            "alias TEXT NOT NULL, body TEXT NOT NULL, stamp TEXT NOT NULL, posted_at BIGINT NOT NULL)"_s.arg(serial),
            u"CREATE INDEX posts_mac_time ON posts (mac, posted_at)"_s,
        } + m_dialect.wordIndexSchema(),
        // The browser's country filter in each sort order, without sorting the whole country;
        // the type filter reads its sort keys from its index instead of from every record.
        QStringList{
            u"CREATE INDEX records_country_place ON records (country, place, seq)"_s,
            u"CREATE INDEX records_country_city ON records (country, city, seq)"_s,
            u"CREATE INDEX records_country_date ON records (country, date_key, seq)"_s,
            u"DROP INDEX records_type"_s,
            u"CREATE INDEX records_type_sorted ON records (type, place, city, country, date_key, satisfaction, seq)"_s,
        } + m_dialect.wordIndexUpgrade(),
        m_dialect.wordIndexDeferral(),
        m_dialect.removalLog(),
        m_dialect.filterIndexRemoval(),
    };
}

bool SharedRecordStore::migrate(QSqlDatabase& db)
{
    static_assert(kSchemaVersion == 5, "one migration for each schema version");
    // A current schema is only read, without the write lock: an operator's read-only role can
    // still run stats and export, and they need not wait for a writer that holds the lock.
    const int storedVersion = unlockedSchemaVersion(db);
    if (storedVersion > kSchemaVersion)
        return newerSchema(storedVersion);
    if (storedVersion == kSchemaVersion)
        return true;
    const QList<QStringList> steps = migrations();
    // Each step reads the version and migrates in one transaction that holds the schema, so
    // that servers started together on a new database take turns instead of each creating
    // the tables that another has just made.
    for (;;) {
        WriteTransaction transaction(db, m_dialect);
        if (!transaction.isOpen()) {
            m_error = u"cannot start a transaction to read the schema version: "_s + transaction.error();
            return false;
        }
        const std::optional<int> current = lockedSchemaVersion(db);
        if (!current)
            return false;
        if (*current > kSchemaVersion)
            return newerSchema(*current);
        if (*current == kSchemaVersion)
            return true;
        if (!runMigration(db, *current + 1, steps[*current]))
            return false;
        if (!transaction.commit()) {
            m_error = u"migration %1 could not be saved: %2"_s.arg(*current + 1).arg(db.lastError().text());
            return false;
        }
    }
}

int SharedRecordStore::unlockedSchemaVersion(QSqlDatabase& db)
{
    bool ok = false;
    QSqlQuery tables = runStatement(db, m_dialect.schemaVersionTables(), {}, &ok);
    if (!ok || !tables.next() || tables.value(0).toInt() == 0)
        return 0;
    tables.finish();
    QSqlQuery stored = runStatement(db, u"SELECT MAX(version) FROM schema_version"_s, {}, &ok);
    return ok && stored.next() ? stored.value(0).toInt() : 0;
}

bool SharedRecordStore::newerSchema(int version)
{
    m_error = u"the database has schema version %1, newer than the %2 this roamlog-server "
              "knows; use a newer roamlog-server"_s.arg(version).arg(kSchemaVersion);
    return false;
}

std::optional<int> SharedRecordStore::lockedSchemaVersion(QSqlDatabase& db)
{
    QSqlQuery query(db);
    const QStringList statements = m_dialect.schemaLock() +
                                   QStringList{u"CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"_s,
                                               u"SELECT MAX(version) FROM schema_version"_s};
    if (!runEach(query, statements, u"cannot read the schema version"_s))
        return std::nullopt;
    return query.next() ? query.value(0).toInt() : 0;
}

bool SharedRecordStore::runEach(QSqlQuery& query, const QStringList& statements, const QString& failure)
{
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            m_error = failure + u": "_s + query.lastError().text();
            return false;
        }
    }
    return true;
}

bool SharedRecordStore::runMigration(QSqlDatabase& db, int version, const QStringList& statements)
{
    QSqlQuery query(db);
    if (!runEach(query, statements, u"migration %1 failed"_s.arg(version)))
        return false;
    bool ok = false;
    runStatement(db, u"INSERT INTO schema_version (version) VALUES (?)"_s, {version}, &ok);
    if (!ok)
        m_error = u"migration %1 could not be saved: %2"_s.arg(version).arg(db.lastError().text());
    return ok;
}

namespace {

// Random bytes from the system's source, read a block at a time: one read for every few
// identifiers instead of one for each.
class RandomBytes
{
public:
    quint8 take()
    {
        if (m_used == sizeof(m_words)) {
            QRandomGenerator::system()->fillRange(m_words);
            m_used = 0;
        }
        const quint8 byte = quint8(m_words[m_used / 4] >> (8 * (m_used % 4)));
        ++m_used;
        return byte;
    }

private:
    quint32 m_words[64];
    size_t m_used = sizeof(m_words);
};

} // namespace

QString SharedRecordStore::newIdentifier()
{
    // The first seven characters are the time in milliseconds, in an alphabet whose order is
    // that of the characters' codes: identifiers drawn one after another sort together, and a
    // new one goes in at the end of the identifier index instead of on a page of its own at
    // random. The nine after them are random; they alone keep one identifier from telling
    // another. Random bytes of 248 and over are drawn again, so that every letter and digit
    // is as likely as the others.
    static constexpr char kOrdered[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static constexpr int kTimeCharacters = 7;
    thread_local RandomBytes random;
    char identifier[16];
    quint64 time = quint64(QDateTime::currentMSecsSinceEpoch());
    for (int i = kTimeCharacters - 1; i >= 0; --i, time /= 62)
        identifier[i] = kOrdered[time % 62];
    for (int i = kTimeCharacters; i < 16;) {
        if (const quint8 byte = random.take(); byte < 248)
            identifier[i++] = kOrdered[byte % 62];
    }
    return QString::fromLatin1(identifier, 16);
}

namespace {

WriteOutcome failed(PreparedStatements& db)
{
    return {WriteOutcome::Status::Failed, {}, db.lastError()};
}

// Inserts with the identifier given, drawing another in the unlikely case that it is taken.
QString insertWithIdentifier(PreparedStatements& db, const QString& sql, QString identifier, const QVariantList& values)
{
    for (int attempt = 0; attempt < 5; ++attempt, identifier = SharedRecordStore::newIdentifier()) {
        bool ok = false;
        QSqlQuery& insert = db.run(sql, QVariantList{identifier} + values, &ok);
        if (!ok)
            return {};
        if (insert.numRowsAffected() == 1)
            return identifier;
    }
    return {};
}

const QString kInsertRecord =
    u"INSERT INTO records (id, mac, alias, content_key, shared_at, line, place, city, country, "
    "type, satisfaction, date_key, comments) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
    "ON CONFLICT (id) DO NOTHING"_s;

// Qt binds a null text as SQL NULL, which the text columns refuse; they hold "" for nothing.
QString text(const QString& value)
{
    return value.isNull() ? QString(QLatin1String("")) : value;
}

QVariantList recordValues(const QString& installation, const QString& alias, const TravelRecord& record,
                          const QString& key, qint64 now)
{
    using namespace RecordColumns;
    return {text(installation), text(alias), key, now, record.RowToLine(),
            text(record.field(Place)), text(record.field(City)), text(record.field(Country)), text(record.field(Type)),
            text(record.field(Satisfaction)), text(dateKey(record.field(DateVisited))), text(record.field(Comments))};
}

// A row that a write adds, with everything its checks read, made on the request's thread:
// the alias's key, the statement that reads those checks, its INSERT with every value but
// the identifier, and the identifier drawn for it.
struct NewRow
{
    QString aliasKey;
    QString checks;
    QVariantList checkValues;
    int perHour;
    QString insert;
    QVariantList values;
    QString identifier = SharedRecordStore::newIdentifier();
};

// The statement that reads every check of a write at once: whether the installation is
// banned (null when it is new), who owns the alias (null when nobody), how many rows of the
// table it added in the last hour, and the identifier of an earlier copy when repeat is a
// condition that finds one (null otherwise).
QString checksOf(const QString& table, const QString& timeColumn, const QString& repeat)
{
    return u"SELECT (SELECT banned FROM installations WHERE mac = ?), "
           "(SELECT mac FROM aliases WHERE alias_key = ?), "
           "(SELECT COUNT(*) FROM %1 WHERE mac = ? AND %2 > ?), %3"_s.arg(
               table, timeColumn, repeat.isEmpty() ? u"NULL"_s : u"(SELECT id FROM %1 WHERE %2)"_s.arg(table, repeat));
}

QVariantList checkValuesOf(const QString& installation, const QString& aliasKey, qint64 now)
{
    return {text(installation), aliasKey, text(installation), now - 3600};
}

// A write in its order of checks: a banned installation or another's alias, a repeat of what
// is already stored, the hourly limit. Nothing is written before every check has passed;
// then the installation and a free alias are claimed and the row added.
WriteOutcome insertChecked(PreparedStatements& db, const QString& installation, const QString& alias,
                           const NewRow& row)
{
    bool ok = false;
    QSqlQuery& checks = db.run(row.checks, row.checkValues, &ok);
    if (!ok || !checks.next())
        return failed(db);
    const bool known = !checks.value(0).isNull();
    const QVariant owner = checks.value(1);
    const qint64 lastHour = checks.value(2).toLongLong();
    const QString earlier = checks.value(3).toString();
    if (known && checks.value(0).toInt() != 0)
        return {WriteOutcome::Status::Banned, {}, {}};
    if (!alias.isEmpty() && !owner.isNull() && owner.toString() != installation)
        return {WriteOutcome::Status::AliasTaken, {}, {}};
    if (!earlier.isEmpty())
        return {WriteOutcome::Status::AlreadyStored, earlier, {}};
    if (lastHour >= row.perHour)
        return {WriteOutcome::Status::TooMany, {}, {}};
    if (!known)
        db.run(u"INSERT INTO installations (mac, banned) VALUES (?, 0) ON CONFLICT (mac) DO NOTHING"_s,
               {text(installation)}, &ok);
    if (ok && !alias.isEmpty() && owner.isNull()) {
        const QString& key = row.aliasKey;
        QSqlQuery& claim = db.run(u"INSERT INTO aliases (alias_key, alias, mac) VALUES (?, ?, ?) "
                                  "ON CONFLICT (alias_key) DO NOTHING"_s, {key, alias, installation}, &ok);
        // Another server process on the same database claimed it since the checks were read.
        if (ok && claim.numRowsAffected() == 0) {
            QSqlQuery& claimant = db.run(u"SELECT mac FROM aliases WHERE alias_key = ?"_s, {key}, &ok);
            if (ok && claimant.next() && claimant.value(0).toString() != installation)
                return {WriteOutcome::Status::AliasTaken, {}, {}};
        }
    }
    const QString identifier = ok ? insertWithIdentifier(db, row.insert, row.identifier, row.values) : QString();
    if (identifier.isEmpty())
        return failed(db);
    return {WriteOutcome::Status::Stored, identifier, {}};
}

} // namespace

WriteQueue& SharedRecordStore::writes()
{
    std::call_once(m_writesStarted, [this] {
        m_writes = std::make_unique<WriteQueue>([this] { return connection(); }, m_dialect.beginWrite(),
                                                [catchUp = m_dialect.wordIndexCatchUp()](PreparedStatements& db) {
                                                    for (const QString& statement : catchUp) {
                                                        bool ok = false;
                                                        if (db.run(statement, {}, &ok); !ok)
                                                            return false;
                                                    }
                                                    return true;
                                                });
    });
    return *m_writes;
}

WriteQueue::Job SharedRecordStore::shareJob(const QString& installation, const QString& alias,
                                            const TravelRecord& record, qint64 now) const
{
    // A record that names no place is no record of a place visited; nothing can find it.
    if (record.field(RecordColumns::Place).trimmed().isEmpty())
        return [](PreparedStatements&) {
            return WriteOutcome{WriteOutcome::Status::Refused, {}, u"a shared record needs at least its place"_s};
        };
    // The hash and the values are made here, on the request's thread, not on the writer's.
    const QString key = contentKey(record);
    const QString owner = aliasKey(text(alias));
    NewRow row{owner, checksOf(u"records"_s, u"shared_at"_s, u"mac = ? AND content_key = ?"_s),
               checkValuesOf(installation, owner, now) + QVariantList{text(installation), key},
               m_limits.recordsPerHour, kInsertRecord, recordValues(installation, alias, record, key, now)};
    return [installation, alias, row = std::move(row)](PreparedStatements& db) {
        return insertChecked(db, installation, alias, row);
    };
}

WriteQueue::Job SharedRecordStore::postJob(const QString& installation, const QString& alias,
                                           const QString& body, const QString& stamp, qint64 now) const
{
    const QString owner = aliasKey(text(alias));
    NewRow row{owner, checksOf(u"posts"_s, u"posted_at"_s, {}), checkValuesOf(installation, owner, now),
               m_limits.postsPerHour,
               u"INSERT INTO posts (id, mac, alias, body, stamp, posted_at) VALUES (?, ?, ?, ?, ?, ?) "
               "ON CONFLICT (id) DO NOTHING"_s,
               {text(installation), text(alias), text(body), text(stamp), now}};
    return [installation, alias, row = std::move(row)](PreparedStatements& db) {
        return insertChecked(db, installation, alias, row);
    };
}

WriteOutcome SharedRecordStore::shareRecord(const QString& installation, const QString& alias,
                                            const TravelRecord& record, qint64 now)
{
    return writes().run(shareJob(installation, alias, record, now));
}

WriteOutcome SharedRecordStore::postToForum(const QString& installation, const QString& alias,
                                            const QString& body, const QString& stamp, qint64 now)
{
    return writes().run(postJob(installation, alias, body, stamp, now));
}

void SharedRecordStore::shareRecord(const QString& installation, const QString& alias, const TravelRecord& record,
                                    qint64 now, WriteQueue::Done done)
{
    writes().submit(shareJob(installation, alias, record, now), std::move(done));
}

void SharedRecordStore::postToForum(const QString& installation, const QString& alias, const QString& body,
                                    const QString& stamp, qint64 now, WriteQueue::Done done)
{
    writes().submit(postJob(installation, alias, body, stamp, now), std::move(done));
}

bool SharedRecordStore::addRecordsInBulk(const QList<SharedRecord>& records)
{
    QSqlDatabase db = connection();
    WriteTransaction transaction(db, m_dialect);
    QSqlQuery insert(db);
    if (!transaction.isOpen() || !insert.prepare(kInsertRecord))
        return false;
    for (const SharedRecord& shared : records) {
        const QVariantList values = QVariantList{newIdentifier()} +
                                    recordValues(shared.installation, shared.alias, shared.record,
                                                 contentKey(shared.record), shared.sharedAt);
        for (int i = 0; i < int(values.size()); ++i)
            insert.bindValue(i, values[i]);
        if (!insert.exec())
            return false;
    }
    for (const QString& statement : m_dialect.wordIndexCatchUp()) {
        bool ok = false;
        runStatement(db, statement, {}, &ok);
        if (!ok)
            return false;
    }
    return transaction.commit();
}

ResultPage<SharedRecord> SharedRecordStore::findRecords(const RecordSearch& search)
{
    return RecordFinder(connection(), m_dialect, m_searchWindow, m_sortKeys.get()).find(search);
}

bool SharedRecordStore::prepareSearches()
{
    QSqlDatabase db = connection();
    return m_sortKeys && m_sortKeys->update(db);
}

std::optional<QList<std::pair<QString, qint64>>> SharedRecordStore::countryCounts()
{
    QSqlDatabase db = connection();
    // SQLite keeps them with the sort keys, up to date with every share and removal.
    if (m_sortKeys && m_sortKeys->update(db))
        return m_sortKeys->countryCounts();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"SELECT country, COUNT(*) FROM records GROUP BY country"_s, {}, &ok);
    if (!ok)
        return std::nullopt;
    QList<std::pair<QString, qint64>> counts;
    while (query.next())
        counts.append({query.value(0).toString(), query.value(1).toLongLong()});
    return counts;
}

std::optional<SharedRecord> SharedRecordStore::recordById(const QString& identifier)
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"SELECT %1 FROM records WHERE id = ?"_s.arg(SharedRecordRow::columns()), {identifier}, &ok);
    if (ok && query.next())
        return SharedRecordRow::fromQuery(query);
    return std::nullopt;
}

ResultPage<ForumPost> SharedRecordStore::posts(int page)
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"SELECT id, mac, alias, body, stamp, posted_at FROM posts ORDER BY seq DESC "
                              "LIMIT %1 OFFSET %2"_s.arg(RecordSearch::kPageSize + 1)
                              .arg(qint64(qMax(0, page)) * RecordSearch::kPageSize),
                          {}, &ok);
    return pageOfRows<ForumPost>(query, ok, [](const QSqlQuery& row) {
        return ForumPost{row.value(0).toString(), row.value(1).toString(), row.value(2).toString(),
                         row.value(3).toString(), row.value(4).toString(), row.value(5).toLongLong()};
    });
}

bool SharedRecordStore::forEachRecord(const std::function<void(const SharedRecord&)>& each)
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"SELECT %1 FROM records ORDER BY seq"_s.arg(SharedRecordRow::columns()), {}, &ok);
    while (ok && query.next())
        each(SharedRecordRow::fromQuery(query));
    if (!ok)
        m_error = query.lastError().text();
    return ok;
}

bool SharedRecordStore::setBanned(const QString& installation, bool banned)
{
    QSqlDatabase db = connection();
    bool ok = false;
    runStatement(db, u"INSERT INTO installations (mac, banned) VALUES (?, ?) ON CONFLICT (mac) DO UPDATE SET banned = ?"_s,
        {installation, banned ? 1 : 0, banned ? 1 : 0}, &ok);
    if (!ok)
        m_error = db.lastError().text();
    return ok;
}

bool SharedRecordStore::removeRecord(const QString& identifier)
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"DELETE FROM records WHERE id = ?"_s, {identifier}, &ok);
    m_error = ok ? u"there is no record %1"_s.arg(identifier) : query.lastError().text();
    return ok && query.numRowsAffected() > 0;
}

bool SharedRecordStore::removePost(const QString& identifier)
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"DELETE FROM posts WHERE id = ?"_s, {identifier}, &ok);
    m_error = ok ? u"there is no post %1"_s.arg(identifier) : query.lastError().text();
    return ok && query.numRowsAffected() > 0;
}

std::optional<StoreCounts> SharedRecordStore::counts()
{
    QSqlDatabase db = connection();
    bool ok = false;
    QSqlQuery query = runStatement(db, u"SELECT (SELECT COUNT(*) FROM records), (SELECT COUNT(*) FROM posts), "
                              "(SELECT COUNT(*) FROM installations), (SELECT COUNT(*) FROM aliases)"_s,
                          {}, &ok);
    if (!ok || !query.next()) {
        m_error = query.lastError().text();
        return std::nullopt;
    }
    return StoreCounts{query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong(),
                       query.value(3).toLongLong()};
}
