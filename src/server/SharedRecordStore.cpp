#include "server/SharedRecordStore.h"

#include "server/RecordFinder.h"
#include "server/SchemaMigrations.h"
#include "server/SearchWords.h"
#include "server/SharedRecordRow.h"
#include "server/SqlRun.h"
#include "server/WriteTransaction.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

std::atomic<quint64> g_storeNumber{0};

// The 23 values that make a record the same record again; the upload mark does not count.
QString contentKey(const TravelRecord& record)
{
    const QByteArrayView line = record.storedLine();
    const QByteArrayView values = line.first(line.size() - record.fieldBytes(RecordColumns::UploadMark).size() - 1);
    return QString::fromLatin1(QCryptographicHash::hash(values, QCryptographicHash::Sha256).toHex());
}

// Qt binds a null text as SQL NULL, which the text columns refuse; they hold "" for nothing.
QString text(const QString& value)
{
    return value.isNull() ? QString(QLatin1String("")) : value;
}

const QString kRecordColumns = u"id, mac, alias, content_key, shared_at, line, place, city, country, type, "
                               "satisfaction, date_key, search_text"_s;

// The values of a record's row after its identifier, in the order of kRecordColumns.
QVariantList recordValues(const QString& installation, const QString& alias, const TravelRecord& record,
                          const QString& key, qint64 now)
{
    using namespace RecordColumns;
    return {text(installation), text(alias), key, now, record.RowToLine(),
            text(record.field(Place)), text(record.field(City)), text(record.field(Country)), text(record.field(Type)),
            text(record.field(Satisfaction)), SharedRecordRow::dateKey(record.field(DateVisited)),
            text(SearchWords::ofRecord(record))};
}

} // namespace

SharedRecordStore::SharedRecordStore(QString location, StoreOptions options)
    : m_address(std::move(location)), m_options(options),
      m_dialect(m_address.isPostgres() ? SqlDialect::Engine::Postgres : SqlDialect::Engine::Sqlite),
      m_name(u"roamlog-server-%1-"_s.arg(++g_storeNumber)), m_index(m_dialect)
{
}

// The writer goes first: a write still queued may be the last use of a reading connection.
SharedRecordStore::~SharedRecordStore()
{
    m_writes.reset();
    m_pool.reset();
}

QString SharedRecordStore::error() const
{
    std::lock_guard guard(m_errorLock);
    return m_error;
}

bool SharedRecordStore::failed(const QString& reason)
{
    std::lock_guard guard(m_errorLock);
    m_error = m_address.withoutSecrets(reason);
    return false;
}

bool SharedRecordStore::open()
{
    bool ok = false;
    {
        const QString name = m_name + u"open"_s;
        QSqlDatabase db = m_address.add(name);
        QString problem;
        if (!m_address.open(db))
            problem = u"cannot open the database %1: %2"_s.arg(m_address.location(), db.lastError().text());
        else if (SchemaMigrations(m_dialect).bringUpToDate(db, &problem))
            ok = true;
        db.close();
        if (!ok)
            failed(problem);
    }
    QSqlDatabase::removeDatabase(m_name + u"open"_s);
    // One connection is the writer's; the others read.
    if (ok)
        m_pool = std::make_unique<ConnectionPool>(m_address, m_name, qMax(1, m_options.connections - 1));
    return ok;
}

bool SharedRecordStore::reading(const std::function<bool(PreparedStatements&)>& work)
{
    return onPool(&ConnectionPool::read, work);
}

bool SharedRecordStore::writing(const std::function<bool(PreparedStatements&)>& work)
{
    return onPool(&ConnectionPool::write, work);
}

bool SharedRecordStore::onPool(bool (ConnectionPool::*run)(const ConnectionPool::Work&),
                               const std::function<bool(PreparedStatements&)>& work)
{
    QString reason = u"the store is not open"_s;
    const bool ok = m_pool && (m_pool.get()->*run)([&](PreparedStatements& db) {
        const bool done = work(db);
        if (!done)
            reason = db.database().isOpen() ? db.lastError() : db.database().lastError().text();
        return done;
    });
    return ok || failed(reason);
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

// Claims an installation and, when nobody has it, an alias, for a write that passed its checks.
bool claim(PreparedStatements& db, const QString& installation, const QString& alias, const QString& aliasKey)
{
    bool ok = false;
    db.run(u"INSERT INTO installations (mac, banned) VALUES (?, 0) ON CONFLICT (mac) DO NOTHING"_s,
           {text(installation)}, &ok);
    if (ok && !alias.isEmpty())
        db.run(u"INSERT INTO aliases (alias_key, alias, mac) VALUES (?, ?, ?) ON CONFLICT (alias_key) DO NOTHING"_s,
               {aliasKey, alias, text(installation)}, &ok);
    return ok;
}

// A write in its order of checks: a banned installation or another's alias, a repeat of what
// is already stored, the hourly limit. Nothing is written before every check has passed;
// then the installation and a free alias are claimed and the row added. Every writer of every
// process holds the write lock, so the checks still hold when the row is added.
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
    if (!claim(db, installation, owner.isNull() ? alias : QString(), row.aliasKey))
        return failed(db);
    const QString identifier = insertWithIdentifier(db, row.insert, row.identifier, row.values);
    if (identifier.isEmpty())
        return failed(db);
    return {WriteOutcome::Status::Stored, identifier, {}};
}

} // namespace

WriteQueue& SharedRecordStore::writes()
{
    std::call_once(m_writesStarted, [this] {
        m_writes = std::make_unique<WriteQueue>(m_address, m_name + u"writer"_s, m_dialect.beginWrite());
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
               m_options.limits.recordsPerHour,
               u"INSERT INTO records (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
               "ON CONFLICT (id) DO NOTHING"_s.arg(kRecordColumns),
               recordValues(installation, alias, record, key, now)};
    return [installation, alias, row = std::move(row)](PreparedStatements& db) {
        return insertChecked(db, installation, alias, row);
    };
}

WriteQueue::Job SharedRecordStore::postJob(const QString& installation, const QString& alias,
                                           const QString& body, const QString& stamp, qint64 now) const
{
    const QString owner = aliasKey(text(alias));
    NewRow row{owner, checksOf(u"posts"_s, u"posted_at"_s, {}), checkValuesOf(installation, owner, now),
               m_options.limits.postsPerHour,
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

std::optional<qint64> SharedRecordStore::addRecordsInBulk(const QList<SharedRecord>& records)
{
    qint64 added = 0;
    const bool ok = writing([&](PreparedStatements& db) {
        WriteTransaction transaction(db.database(), m_dialect);
        if (!transaction.isOpen())
            return false;
        const QString insert = u"INSERT INTO records (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                               "ON CONFLICT DO NOTHING"_s.arg(kRecordColumns);
        for (const SharedRecord& shared : records) {
            bool stored = false;
            const QVariantList values =
                QVariantList{shared.identifier.isEmpty() ? newIdentifier() : shared.identifier} +
                recordValues(shared.installation, shared.alias, shared.record, contentKey(shared.record),
                             shared.sharedAt);
            QSqlQuery& query = db.run(insert, values, &stored);
            // Read before the claims run: SQLite counts the changes of the connection's last statement.
            added += stored ? query.numRowsAffected() : 0;
            if (!stored || !claim(db, shared.installation, shared.alias, aliasKey(text(shared.alias))))
                return false;
        }
        db.finishAll();
        return transaction.commit();
    });
    return ok ? std::optional<qint64>(added) : std::nullopt;
}

ResultPage<SharedRecord> SharedRecordStore::findRecords(const RecordSearch& search)
{
    ResultPage<SharedRecord> page;
    page.failed = !reading([&](PreparedStatements& db) {
        page = RecordFinder(db, m_dialect, m_index, m_rows).find(search);
        return !page.failed;
    });
    return page;
}

bool SharedRecordStore::prepareSearches()
{
    return reading([this](PreparedStatements& db) { return m_index.update(db); });
}

std::optional<QList<std::pair<QString, qint64>>> SharedRecordStore::countryCounts()
{
    return m_index.countries();
}

std::optional<SharedRecord> SharedRecordStore::recordById(const QString& identifier)
{
    std::optional<SharedRecord> found;
    reading([&](PreparedStatements& db) {
        bool ok = false;
        QSqlQuery& query = db.run(u"SELECT %1 FROM records WHERE id = ?"_s.arg(SharedRecordRow::columns(m_dialect)),
                                  {identifier}, &ok);
        if (ok && query.next())
            found = SharedRecordRow::fromQuery(query);
        return ok;
    });
    return found;
}

ResultPage<ForumPost> SharedRecordStore::posts(int page)
{
    ResultPage<ForumPost> posts;
    posts.failed = !reading([&](PreparedStatements& db) {
        bool ok = false;
        QSqlQuery& query = db.run(u"SELECT id, mac, alias, body, stamp, posted_at FROM posts ORDER BY seq DESC "
                                  "LIMIT ? OFFSET ?"_s,
                                  {RecordSearch::kPageSize + 1, qint64(qMax(0, page)) * RecordSearch::kPageSize}, &ok);
        posts = pageOfRows<ForumPost>(query, ok, [](const QSqlQuery& row) {
            return ForumPost{row.value(0).toString(), row.value(1).toString(), row.value(2).toString(),
                             row.value(3).toString(), row.value(4).toString(), row.value(5).toLongLong()};
        });
        return ok;
    });
    return posts;
}

bool SharedRecordStore::forEachRecord(const std::function<void(const SharedRecord&)>& each)
{
    return reading([&](PreparedStatements& db) {
        bool ok = false;
        QSqlQuery query = runStatement(db.database(), u"SELECT %1 FROM records ORDER BY seq"_s.arg(SharedRecordRow::columns(m_dialect)),
                                       {}, &ok);
        while (ok && query.next())
            each(SharedRecordRow::fromQuery(query));
        return ok;
    });
}

bool SharedRecordStore::setBanned(const QString& installation, bool banned)
{
    return writing([&](PreparedStatements& db) {
        bool ok = false;
        db.run(u"INSERT INTO installations (mac, banned) VALUES (?, ?) ON CONFLICT (mac) DO UPDATE SET banned = ?"_s,
               {installation, banned ? 1 : 0, banned ? 1 : 0}, &ok);
        return ok;
    });
}

bool SharedRecordStore::removeRecord(const QString& identifier)
{
    bool found = false;
    // The removal is logged with it, for the indexes in memory of every server process.
    const bool ok = writing([&](PreparedStatements& db) {
        WriteTransaction transaction(db.database(), m_dialect);
        if (!transaction.isOpen())
            return false;
        bool done = false;
        QSqlQuery& seq = db.run(u"SELECT seq FROM records WHERE id = ?"_s, {identifier}, &done);
        found = done && seq.next();
        if (!found)
            return done;
        const qint64 removed = seq.value(0).toLongLong();
        db.run(u"DELETE FROM records WHERE seq = ?"_s, {removed}, &done);
        if (done)
            db.run(u"INSERT INTO records_removed (seq) VALUES (?)"_s, {removed}, &done);
        db.finishAll();
        return done && transaction.commit();
    });
    return ok && (found || failed(u"there is no record %1"_s.arg(identifier)));
}

bool SharedRecordStore::removePost(const QString& identifier)
{
    bool found = false;
    const bool ok = writing([&](PreparedStatements& db) {
        bool done = false;
        found = db.run(u"DELETE FROM posts WHERE id = ?"_s, {identifier}, &done).numRowsAffected() > 0;
        return done;
    });
    return ok && (found || failed(u"there is no post %1"_s.arg(identifier)));
}

std::optional<StoreCounts> SharedRecordStore::counts()
{
    std::optional<StoreCounts> counts;
    reading([&](PreparedStatements& db) {
        bool ok = false;
        QSqlQuery& query = db.run(u"SELECT (SELECT COUNT(*) FROM records), (SELECT COUNT(*) FROM posts), "
                                  "(SELECT COUNT(*) FROM installations), (SELECT COUNT(*) FROM aliases)"_s,
                                  {}, &ok);
        if (ok && query.next())
            counts = StoreCounts{query.value(0).toLongLong(), query.value(1).toLongLong(),
                                 query.value(2).toLongLong(), query.value(3).toLongLong()};
        return ok;
    });
    return counts;
}
