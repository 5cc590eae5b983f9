#include "server/SqlDialect.h"

using namespace Qt::StringLiterals;

QStringList SqlDialect::beginWrite() const
{
    if (m_engine == Engine::Sqlite)
        return {u"BEGIN IMMEDIATE"_s}; // takes the write lock at once instead of when it upgrades
    // A lock of this program's own number ("Roamlog" in ASCII), held to the end of the
    // transaction. A table lock could not cover the creation of the version table itself.
    return {u"BEGIN"_s, u"SELECT pg_advisory_xact_lock(23203412328607591)"_s};
}

QString SqlDialect::schemaVersionTables() const
{
    if (m_engine == Engine::Sqlite)
        return u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"_s;
    return u"SELECT COUNT(*) FROM pg_tables WHERE schemaname = current_schema() AND tablename = 'schema_version'"_s;
}

QString SqlDialect::utf8Bytes(const QString& column) const
{
    return (m_engine == Engine::Sqlite ? u"CAST(%1 AS BLOB)"_s : u"convert_to(%1, 'UTF8')"_s).arg(column);
}
