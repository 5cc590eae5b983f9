#pragma once

#include "server/SqlDialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// The schema of the server's database, as numbered migrations recorded in a version table:
// migration n brings a database from schema n - 1 to schema n, so that a database of any
// earlier server is brought up to date, and one made by a newer server is refused.
class SchemaMigrations
{
public:
    static constexpr int kVersion = 6;

    explicit SchemaMigrations(const SqlDialect& dialect) : m_dialect(dialect) {}

    // Brings the schema of db up to date (or to an older version, as an older server made it);
    // false with *error set when that fails, or when the database was made by a newer program.
    bool bringUpToDate(QSqlDatabase& db, QString* error, int version = kVersion) const;

private:
    // Its statements, then (for values that only this program can compute) a pass over the
    // rows that sets them; the pass returns why it failed, or nothing.
    struct Step
    {
        QStringList statements;
        std::function<QString(QSqlDatabase&)> fill;
    };
    QList<Step> steps() const;
    QStringList firstSchema() const;
    QStringList lastSchema() const;
    std::optional<int> lockedVersion(QSqlDatabase& db, QString* error) const;
    int unlockedVersion(QSqlDatabase& db) const;
    bool run(QSqlDatabase& db, int version, const Step& step, QString* error) const;
    bool isSqlite() const { return m_dialect.engine() == SqlDialect::Engine::Sqlite; }

    const SqlDialect& m_dialect;
};
