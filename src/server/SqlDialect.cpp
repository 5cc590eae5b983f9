#include "server/SqlDialect.h"

using namespace Qt::StringLiterals;

QString SqlDialect::serialKey() const
{
    return m_engine == Engine::Sqlite ? u"INTEGER PRIMARY KEY"_s : u"BIGSERIAL PRIMARY KEY"_s;
}

QString SqlDialect::beginWrite() const
{
    return m_engine == Engine::Sqlite ? u"BEGIN IMMEDIATE"_s : u"BEGIN"_s;
}

QStringList SqlDialect::schemaLock() const
{
    if (m_engine == Engine::Sqlite)
        return {};
    // A lock of this program's own number ("Roamlog" in ASCII), held to the end of the
    // transaction. A table lock could not cover the creation of the version table itself.
    return {u"SELECT pg_advisory_xact_lock(23203412328607591)"_s};
}

QString SqlDialect::schemaVersionTables() const
{
    if (m_engine == Engine::Sqlite)
        return u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"_s;
    return u"SELECT COUNT(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = 'schema_version'"_s;
}

QStringList SqlDialect::wordIndexSchema() const
{
    if (m_engine == Engine::Postgres)
        return {u"CREATE INDEX records_words ON records USING GIN "
                "(to_tsvector('simple', place || ' ' || city || ' ' || comments))"_s};
    return {
        u"CREATE VIRTUAL TABLE records_words USING fts5(place, city, comments, "
        "content='records', content_rowid='seq')"_s,
        u"CREATE TRIGGER records_words_add AFTER INSERT ON records BEGIN "
        "INSERT INTO records_words(rowid, place, city, comments) "
        "VALUES (new.seq, new.place, new.city, new.comments); END"_s,
        u"CREATE TRIGGER records_words_remove AFTER DELETE ON records BEGIN "
        "INSERT INTO records_words(records_words, rowid, place, city, comments) "
        "VALUES ('delete', old.seq, old.place, old.city, old.comments); END"_s,
    };
}

QStringList SqlDialect::wordIndexUpgrade() const
{
    if (m_engine == Engine::Sqlite)
        return {};
    return {u"ALTER TABLE records ADD COLUMN words tsvector GENERATED ALWAYS AS "
            "(to_tsvector('simple', place || ' ' || city || ' ' || comments)) STORED"_s,
            u"DROP INDEX records_words"_s, u"CREATE INDEX records_words ON records USING GIN (words)"_s};
}

QStringList SqlDialect::wordIndexDeferral() const
{
    if (m_engine == Engine::Postgres)
        return {};
    return {u"CREATE TABLE records_unindexed (seq INTEGER PRIMARY KEY)"_s,
            u"DROP TRIGGER records_words_add"_s,
            u"CREATE TRIGGER records_note_unindexed AFTER INSERT ON records BEGIN "
            "INSERT INTO records_unindexed (seq) VALUES (new.seq); END"_s};
}

QStringList SqlDialect::wordIndexCatchUp() const
{
    if (m_engine == Engine::Postgres)
        return {};
    return {u"INSERT INTO records_words (rowid, place, city, comments) SELECT r.seq, r.place, r.city, r.comments "
            "FROM records_unindexed u JOIN records r ON r.seq = u.seq"_s,
            u"DELETE FROM records_unindexed"_s};
}

QStringList SqlDialect::removalLog() const
{
    if (m_engine == Engine::Postgres)
        return {};
    return {u"CREATE TABLE records_removed (n INTEGER PRIMARY KEY, seq INTEGER NOT NULL)"_s,
            u"CREATE TRIGGER records_log_removal AFTER DELETE ON records BEGIN "
            "INSERT INTO records_removed (seq) VALUES (old.seq); END"_s};
}

QStringList SqlDialect::filterIndexRemoval() const
{
    if (m_engine == Engine::Postgres)
        return {};
    return {u"DROP INDEX records_country_place"_s, u"DROP INDEX records_country_city"_s,
            u"DROP INDEX records_country_date"_s, u"DROP INDEX records_type_sorted"_s};
}

QString SqlDialect::wordMatchSeqs() const
{
    return u"SELECT rowid FROM records_words WHERE records_words MATCH ?"_s;
}

QString SqlDialect::wordCondition() const
{
    if (m_engine == Engine::Postgres)
        return u"words @@ to_tsquery('simple', ?)"_s;
    return u"seq IN (SELECT rowid FROM records_words WHERE records_words MATCH ?)"_s;
}

QStringList SqlDialect::wordColumns() const
{
    return m_engine == Engine::Postgres ? QStringList{u"words"_s} : QStringList{};
}

QString SqlDialect::wordMatchesPage(const QString& columns, const QStringList& otherChecks, const QString& key,
                                    const QString& limit) const
{
    QString others;
    for (const QString& check : otherChecks)
        others += u" AND "_s + check;
    if (m_engine == Engine::Postgres)
        return u"WITH matches AS MATERIALIZED (SELECT %1, %2, seq FROM records WHERE %3%4) "
               "SELECT %1 FROM matches ORDER BY %2, seq %5"_s.arg(columns, key, wordCondition(), others, limit);
    // The other checks name columns that the word index does not have.
    return u"SELECT %1 FROM records WHERE seq IN (SELECT r.seq FROM records_words "
           "CROSS JOIN records AS r ON r.seq = records_words.rowid WHERE records_words MATCH ?%2 "
           "ORDER BY r.%3, r.seq %4) ORDER BY %3, seq"_s.arg(columns, others, key, limit);
}

QString SqlDialect::wordQuery(const QStringList& words) const
{
    // The words hold letters and digits only, so they need no quoting of their own.
    QStringList terms;
    for (const QString& word : words)
        terms << (m_engine == Engine::Postgres ? word + u":*"_s : u"\""_s + word + u"\"*"_s);
    return terms.join(m_engine == Engine::Postgres ? u" & "_s : u" "_s);
}
