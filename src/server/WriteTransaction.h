#pragma once

#include "server/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

// A write transaction that holds the write lock (SqlDialect::beginWrite) and rolls back
// unless committed.
class WriteTransaction
{
public:
    WriteTransaction(QSqlDatabase& db, const SqlDialect& dialect) : m_db(db)
    {
        QSqlQuery query(db);
        const QStringList statements = dialect.beginWrite();
        for (qsizetype i = 0; i < statements.size(); ++i) {
            if (!query.exec(statements[i])) {
                m_error = query.lastError().text();
                if (i > 0) // begun, but the lock was not had
                    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
                return;
            }
        }
        m_open = true;
    }
    ~WriteTransaction()
    {
        if (m_open)
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; } // why it did not open
    bool commit()
    {
        m_open = false;
        return QSqlQuery(m_db).exec(QStringLiteral("COMMIT"));
    }

private:
    QSqlDatabase& m_db;
    bool m_open = false;
    QString m_error;
};
