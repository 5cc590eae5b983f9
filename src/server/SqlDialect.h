#pragma once

#include <QString>
#include <QStringList>

// The few places where SQLite and PostgreSQL need different SQL today: how a write transaction
// starts and takes the write lock, how the catalog lists tables, and how a text is read as its
// bytes.
// Every other statement is the same on both engines (the older schemas' differences are kept
// with their migrations).
class SqlDialect
{
public:
    enum class Engine { Sqlite, Postgres };

    explicit SqlDialect(Engine engine) : m_engine(engine) {}
    Engine engine() const { return m_engine; }

    // Start a transaction that writes, holding the write lock until it ends: every writer of
    // every process waits for it, so that a check (an hourly limit) and the write it allows
    // are never split by another's write, the schema is changed by one at a time, and seqs
    // become visible in the order they are given (the index in memory reads those above the
    // last it read). SQLite's write transaction is that lock; PostgreSQL takes one of its own.
    QStringList beginWrite() const;
    // One row with the number of schema version tables: 0 in a new database. Asked of the
    // catalog, so that a new database does not log an error for a missing table.
    QString schemaVersionTables() const;
    // The UTF-8 bytes of a text column, read as bytes: the driver then need not turn every
    // text into UTF-16 on its way to a program that wants its bytes.
    QString utf8Bytes(const QString& column) const;

private:
    Engine m_engine;
};
