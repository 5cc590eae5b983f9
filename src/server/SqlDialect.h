#pragma once

#include <QString>
#include <QStringList>

// The few places where SQLite and PostgreSQL need different SQL: the auto-numbered key, how a
// write transaction starts and holds the schema, how the catalog lists tables, the full-text
// index over place, city and comments, and the tables and indexes that go with SQLite's sort
// keys in memory. Every other statement is the same on both engines.
class SqlDialect
{
public:
    enum class Engine { Sqlite, Postgres };

    explicit SqlDialect(Engine engine) : m_engine(engine) {}
    Engine engine() const { return m_engine; }

    // The column type of an auto-numbered primary key.
    QString serialKey() const;
    // Starts a transaction that writes. SQLite takes the write lock at once, so that two
    // writers wait for each other (busy time-out) instead of failing when they upgrade.
    QString beginWrite() const;
    // Run first in a write transaction, they keep other connections from changing the schema
    // until it ends. SQLite's write transaction already does; PostgreSQL's takes a lock.
    QStringList schemaLock() const;
    // One row with the number of schema version tables: 0 in a new database. Asked of the
    // catalog, so that a new database does not log an error for a missing table.
    QString schemaVersionTables() const;
    // The statements that create the word index of the records (the first schema), and those
    // that bring it to the second: PostgreSQL then keeps the words of each record in a column
    // of its own, so that checking a row need not take its texts apart again.
    QStringList wordIndexSchema() const;
    QStringList wordIndexUpgrade() const;
    // The third schema: SQLite's word index takes new records once for each transaction
    // instead of once for each record. Its index flushes what it holds at every savepoint, so
    // a record that goes in at once makes an index segment of its own: a new record only
    // notes its number, and wordIndexCatchUp(), run before the commit of every transaction
    // that adds records, indexes those noted and clears the notes.
    QStringList wordIndexDeferral() const;
    QStringList wordIndexCatchUp() const;
    // The fourth schema: SQLite logs the seq of each record removed, so that the sort keys a
    // server holds in memory (SortKeyIndex) learn of removals made by another process, and a
    // seq used again by a later record is read anew. PostgreSQL keeps no keys in memory.
    QStringList removalLog() const;
    // The fifth schema: SQLite drops the indexes of the country and of the type in front of
    // the sort keys. The sort keys in memory choose those searches' pages from the filters'
    // values they hold, and a new record then updates four indexes fewer.
    QStringList filterIndexRemoval() const;
    // The word matches' seqs in any order, from the one bound value of wordQuery() (SQLite).
    QString wordMatchSeqs() const;
    // A condition on a record that holds when it has the words of wordQuery(); one value to
    // bind. It reads the record's seq and the columns of wordColumns().
    QString wordCondition() const;
    QStringList wordColumns() const;
    // The page of a word search: the records whose words match the first bound value and
    // that pass every one of otherChecks (bound after it, in their order), sorted by key and
    // seq and cut to limit. Both engines find the matches through the word index before
    // they sort them. PostgreSQL, unable to tell how many records have a word given as a
    // prefix, would otherwise walk the whole sort index for a word that few records have.
    // SQLite reads each match's sort key as it walks the word index, instead of first
    // gathering every match into a list and reading the keys from that: half the time for
    // a word that a tenth of all records have. Only the page's rows are read in full.
    QString wordMatchesPage(const QString& columns, const QStringList& otherChecks, const QString& key,
                            const QString& limit) const;
    // The bound value for wordCondition(): every word matches as a prefix, all must match.
    QString wordQuery(const QStringList& words) const;

private:
    Engine m_engine;
};
