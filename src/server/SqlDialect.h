#pragma once

#include <QString>
#include <QStringList>

// The few places where SQLite and PostgreSQL need different SQL: the auto-numbered key, how a
// write transaction starts, and the full-text index over place, city and comments. Every
// other statement is the same on both engines.
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
    // The statements that create the word index of the records.
    QStringList wordIndexSchema() const;
    // A condition on the seq of a record that holds when the record has the words of
    // wordQuery(); one value to bind.
    QString wordCondition() const;
    // The bound value for wordCondition(): every word matches as a prefix, all must match.
    QString wordQuery(const QStringList& words) const;

private:
    Engine m_engine;
};
