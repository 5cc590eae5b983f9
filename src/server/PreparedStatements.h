#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <unordered_map>

// Statements of one connection, each prepared once and run many times: preparing costs more
// than running the small statements of a write or of a page.
class PreparedStatements
{
public:
    explicit PreparedStatements(QSqlDatabase db);

    QSqlDatabase& database() { return m_db; }
    // Why the last statement that failed did so.
    QString lastError() const { return m_lastError; }
    // Runs sql with the values bound in order; *ok says whether it ran. The query returned
    // stays valid until the same statement runs again.
    QSqlQuery& run(const QString& sql, const QVariantList& values, bool* ok);
    // Resets every statement: a statement with rows left unread keeps SQLite's read snapshot
    // open, and what others committed since would stay unseen.
    void finishAll();
    // Runs a statement without values and without keeping it.
    bool execute(const QString& sql);
    // Runs a statement of transaction control (SAVEPOINT, RELEASE, ...). SQLite keeps it
    // prepared; PostgreSQL cannot prepare these, so there it is sent as text each time.
    bool control(const QString& sql);
    // Whether the database still answers on this connection: after a failure, tells a
    // connection that the database dropped (it restarted) from a statement that failed.
    bool reachable();
    // Forgets every statement and closes the connection, to be opened again: the statements
    // prepared on a connection that was dropped exist no more.
    void reset();

private:
    QSqlDatabase m_db;
    // Node-based, so that a query handed out stays where it is when others are added.
    std::unordered_map<QString, QSqlQuery> m_queries;
    QString m_lastError;
    bool m_preparesControl;
};
