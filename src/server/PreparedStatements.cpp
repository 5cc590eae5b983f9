#include "server/PreparedStatements.h"

#include <QSqlDriver>
#include <QSqlError>

using namespace Qt::StringLiterals;

PreparedStatements::PreparedStatements(QSqlDatabase db)
    : m_db(std::move(db)), m_preparesControl(m_db.driverName() == u"QSQLITE"_s)
{
}

QSqlQuery& PreparedStatements::run(const QString& sql, const QVariantList& values, bool* ok)
{
    auto found = m_queries.find(sql);
    if (found == m_queries.end()) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true); // rows are read once, in order: the driver need not keep them
        if (!query.prepare(sql)) {
            *ok = false;
            m_lastError = query.lastError().text();
            return m_queries.insert_or_assign(QString(), query).first->second; // kept only to hand back its error
        }
        found = m_queries.emplace(sql, query).first;
    }
    QSqlQuery& query = found->second;
    query.finish(); // the rows of its last run are no longer read
    for (int i = 0; i < int(values.size()); ++i)
        query.bindValue(i, values[i]);
    *ok = query.exec();
    if (!*ok)
        m_lastError = query.lastError().text();
    return query;
}

bool PreparedStatements::execute(const QString& sql)
{
    QSqlQuery query(m_db);
    if (query.exec(sql))
        return true;
    m_lastError = query.lastError().text();
    return false;
}

void PreparedStatements::finishAll()
{
    for (auto& [sql, query] : m_queries)
        query.finish();
}

bool PreparedStatements::control(const QString& sql)
{
    if (!m_preparesControl)
        return execute(sql);
    bool ok = false;
    run(sql, {}, &ok);
    return ok;
}

bool PreparedStatements::reachable()
{
    return m_db.isOpen() && QSqlQuery(m_db).exec(u"SELECT 1"_s);
}

void PreparedStatements::reset()
{
    m_db.close();
    m_queries.clear();
}
