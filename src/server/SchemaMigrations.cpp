#include "server/SchemaMigrations.h"

#include "server/SearchWords.h"
#include "server/SharedRecordRow.h"
#include "server/SqlRun.h"
#include "server/WriteTransaction.h"
#include "store/Cp1252.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

bool runEach(QSqlQuery& query, const QStringList& statements, const QString& failure, QString* error)
{
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            *error = failure + u": "_s + query.lastError().text();
            return false;
        }
    }
    return true;
}

bool newerSchema(int version, QString* error)
{
    *error = u"the database has schema version %1, newer than the %2 this roamlog-server knows; use a newer "
             "roamlog-server"_s.arg(version).arg(SchemaMigrations::kVersion);
    return false;
}

// Sets the date key and the search words of every record, a part of the table at a time.
QString fillSearchValues(QSqlDatabase& db)
{
    constexpr int kPart = 10000;
    for (qint64 after = 0;;) {
        bool ok = false;
        QSqlQuery rows = runStatement(db, u"SELECT seq, line FROM records WHERE seq > ? ORDER BY seq LIMIT ?"_s,
                                      {after, kPart}, &ok);
        QList<std::pair<qint64, TravelRecord>> part;
        while (ok && rows.next()) {
            const auto record = TravelRecord::fromDecodedLine(Cp1252::fromUnicode(rows.value(1).toString()));
            part.append({rows.value(0).toLongLong(), record.value_or(TravelRecord())});
        }
        if (!ok)
            return rows.lastError().text();
        rows.finish();
        QSqlQuery update(db);
        if (!update.prepare(u"UPDATE records SET date_key = ?, search_text = ? WHERE seq = ?"_s))
            return update.lastError().text();
        for (const auto& [seq, record] : part) {
            update.bindValue(0, SharedRecordRow::dateKey(record.field(RecordColumns::DateVisited)));
            update.bindValue(1, SearchWords::ofRecord(record));
            update.bindValue(2, seq);
            if (!update.exec())
                return update.lastError().text();
            after = seq;
        }
        if (part.size() < kPart)
            return {};
    }
}

} // namespace

QStringList SchemaMigrations::firstSchema() const
{
    const QString serial = isSqlite() ? u"INTEGER PRIMARY KEY"_s : u"BIGSERIAL PRIMARY KEY"_s;
    QStringList statements{
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
    };
    if (!isSqlite())
        return statements << u"CREATE INDEX records_words ON records USING GIN "
                             "(to_tsvector('simple', place || ' ' || city || ' ' || comments))"_s;
    return statements << u"CREATE VIRTUAL TABLE records_words USING fts5(place, city, comments, "
                         "content='records', content_rowid='seq')"_s
                      << u"CREATE TRIGGER records_words_add AFTER INSERT ON records BEGIN "
                         "INSERT INTO records_words(rowid, place, city, comments) "
                         "VALUES (new.seq, new.place, new.city, new.comments); END"_s
                      << u"CREATE TRIGGER records_words_remove AFTER DELETE ON records BEGIN "
                         "INSERT INTO records_words(records_words, rowid, place, city, comments) "
                         "VALUES ('delete', old.seq, old.place, old.city, old.comments); END"_s;
}

// The sixth schema: what the browser searches by lives in memory (SearchIndex), for both
// engines, so the database keeps no index for it: no word index, no index of a sort key or a
// filter. It keeps the folded words and the date key that the index reads, computed by this
// program. Removals are logged by the program on both engines. SQLite's records table is made
// anew to give seqs that are never used twice, as PostgreSQL's already are.
QStringList SchemaMigrations::lastSchema() const
{
    if (!isSqlite())
        return {u"ALTER TABLE records DROP COLUMN words"_s,
                u"DROP INDEX records_place, records_city, records_country, records_date, records_country_place, "
                "records_country_city, records_country_date, records_type_sorted"_s,
                u"ALTER TABLE records DROP COLUMN comments"_s,
                u"ALTER TABLE records ADD COLUMN search_text TEXT NOT NULL DEFAULT ''"_s,
                u"CREATE TABLE records_removed (n BIGSERIAL PRIMARY KEY, seq BIGINT NOT NULL)"_s};
    const QString columns = u"seq, id, mac, alias, content_key, shared_at, line, place, city, country, type, "
                            "satisfaction, date_key"_s;
    return {u"DROP TRIGGER records_log_removal"_s, u"DROP TRIGGER records_note_unindexed"_s,
            u"DROP TABLE records_unindexed"_s, u"DROP TRIGGER records_words_remove"_s, u"DROP TABLE records_words"_s,
            u"CREATE TABLE records_new (seq INTEGER PRIMARY KEY AUTOINCREMENT, id TEXT NOT NULL UNIQUE, "
            "mac TEXT NOT NULL, alias TEXT NOT NULL, content_key TEXT NOT NULL, shared_at BIGINT NOT NULL, "
            "line TEXT NOT NULL, place TEXT NOT NULL, city TEXT NOT NULL, country TEXT NOT NULL, "
            "type TEXT NOT NULL, satisfaction TEXT NOT NULL, date_key TEXT NOT NULL, "
            "search_text TEXT NOT NULL DEFAULT '', UNIQUE (mac, content_key))"_s,
            u"INSERT INTO records_new (%1) SELECT %1 FROM records"_s.arg(columns), u"DROP TABLE records"_s,
            u"ALTER TABLE records_new RENAME TO records"_s,
            u"CREATE INDEX records_mac_time ON records (mac, shared_at)"_s,
            // The seqs it names may have been given again by the old table.
            u"DELETE FROM records_removed"_s};
}

QList<SchemaMigrations::Step> SchemaMigrations::steps() const
{
    const bool sqlite = isSqlite();
    QList<Step> steps{{firstSchema(), {}}};
    // The second: the browser's country filter in each sort order, and the type's index with
    // the sort keys; PostgreSQL keeps the words of each record in a column of their own.
    steps.append({QStringList{
                      u"CREATE INDEX records_country_place ON records (country, place, seq)"_s,
                      u"CREATE INDEX records_country_city ON records (country, city, seq)"_s,
                      u"CREATE INDEX records_country_date ON records (country, date_key, seq)"_s,
                      u"DROP INDEX records_type"_s,
                      u"CREATE INDEX records_type_sorted ON records (type, place, city, country, date_key, "
                      "satisfaction, seq)"_s,
                  } + (sqlite ? QStringList{}
                              : QStringList{u"ALTER TABLE records ADD COLUMN words tsvector GENERATED ALWAYS AS "
                                            "(to_tsvector('simple', place || ' ' || city || ' ' || comments)) STORED"_s,
                                            u"DROP INDEX records_words"_s,
                                            u"CREATE INDEX records_words ON records USING GIN (words)"_s}),
                  {}});
    // The third: SQLite's word index takes the records of a transaction at its end.
    steps.append({sqlite ? QStringList{u"CREATE TABLE records_unindexed (seq INTEGER PRIMARY KEY)"_s,
                                       u"DROP TRIGGER records_words_add"_s,
                                       u"CREATE TRIGGER records_note_unindexed AFTER INSERT ON records BEGIN "
                                       "INSERT INTO records_unindexed (seq) VALUES (new.seq); END"_s}
                         : QStringList{},
                  {}});
    // The fourth: SQLite logs the seq of each record removed.
    steps.append({sqlite ? QStringList{u"CREATE TABLE records_removed (n INTEGER PRIMARY KEY, seq INTEGER NOT NULL)"_s,
                                       u"CREATE TRIGGER records_log_removal AFTER DELETE ON records BEGIN "
                                       "INSERT INTO records_removed (seq) VALUES (old.seq); END"_s}
                         : QStringList{},
                  {}});
    // The fifth: SQLite drops the indexes of a filter in front of each sort key.
    steps.append({sqlite ? QStringList{u"DROP INDEX records_country_place"_s, u"DROP INDEX records_country_city"_s,
                                       u"DROP INDEX records_country_date"_s, u"DROP INDEX records_type_sorted"_s}
                         : QStringList{},
                  {}});
    steps.append({lastSchema(), fillSearchValues});
    return steps;
}

bool SchemaMigrations::bringUpToDate(QSqlDatabase& db, QString* error, int version) const
{
    // A current schema is only read, without the write lock: an operator's read-only role can
    // still run stats and export, and they need not wait for a writer that holds the lock.
    const int storedVersion = unlockedVersion(db);
    if (storedVersion > kVersion)
        return newerSchema(storedVersion, error);
    if (storedVersion >= version)
        return true;
    const QList<Step> all = steps();
    Q_ASSERT(all.size() == kVersion);
    // Each step reads the version and migrates in one transaction that holds the write lock,
    // so that servers started together on a new database take turns instead of each creating
    // the tables that another has just made.
    for (;;) {
        WriteTransaction transaction(db, m_dialect);
        if (!transaction.isOpen()) {
            *error = u"cannot start a transaction to read the schema version: "_s + transaction.error();
            return false;
        }
        const std::optional<int> current = lockedVersion(db, error);
        if (!current)
            return false;
        if (*current > kVersion)
            return newerSchema(*current, error);
        if (*current >= version)
            return true;
        if (!run(db, *current + 1, all[*current], error))
            return false;
        if (!transaction.commit()) {
            *error = u"migration %1 could not be saved: %2"_s.arg(*current + 1).arg(db.lastError().text());
            return false;
        }
    }
}

std::optional<int> SchemaMigrations::lockedVersion(QSqlDatabase& db, QString* error) const
{
    QSqlQuery query(db);
    const QStringList statements{u"CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"_s,
                                 u"SELECT MAX(version) FROM schema_version"_s};
    if (!runEach(query, statements, u"cannot read the schema version"_s, error))
        return std::nullopt;
    return query.next() ? query.value(0).toInt() : 0;
}

int SchemaMigrations::unlockedVersion(QSqlDatabase& db) const
{
    bool ok = false;
    QSqlQuery tables = runStatement(db, m_dialect.schemaVersionTables(), {}, &ok);
    if (!ok || !tables.next() || tables.value(0).toInt() == 0)
        return 0;
    tables.finish();
    QSqlQuery stored = runStatement(db, u"SELECT MAX(version) FROM schema_version"_s, {}, &ok);
    return ok && stored.next() ? stored.value(0).toInt() : 0;
}

bool SchemaMigrations::run(QSqlDatabase& db, int version, const Step& step, QString* error) const
{
    QSqlQuery query(db);
    if (!runEach(query, step.statements, u"migration %1 failed"_s.arg(version), error))
        return false;
    if (step.fill) {
        if (const QString failure = step.fill(db); !failure.isEmpty()) {
            *error = u"migration %1 failed: %2"_s.arg(version).arg(failure);
            return false;
        }
    }
    bool ok = false;
    runStatement(db, u"INSERT INTO schema_version (version) VALUES (?)"_s, {version}, &ok);
    if (!ok)
        *error = u"migration %1 could not be saved: %2"_s.arg(version).arg(db.lastError().text());
    return ok;
}
