#pragma once

#include <QSqlDatabase>
#include <QString>

// Where the server's data lives: an SQLite file name, or "postgresql://user@host:port/dbname".
// The PostgreSQL password is best left out of the address, where every user of the machine
// sees it in the process list: libpq then reads it from PGPASSWORD or from the password file
// (PGPASSFILE, else ~/.pgpass). A password given in the address is still used, and is never
// shown: not in messages about the address, not in the database's own error texts.
class DatabaseAddress
{
public:
    explicit DatabaseAddress(QString location);

    bool isPostgres() const { return m_postgres; }
    QString location() const { return m_location; }
    // text with every occurrence of the password replaced: every message that may hold the
    // address or a part of it goes through this.
    QString withoutSecrets(QString text) const;

    // A connection of this thread to the database, registered under name, not yet open.
    QSqlDatabase add(const QString& name) const;
    // Opens db and sets the session up as the server needs it; false when it would not open.
    bool open(QSqlDatabase& db) const;

private:
    QString m_location;
    bool m_postgres;
    // Of a PostgreSQL address: the user and password (percent-decoded) before the last "@",
    // so that a password with a "/" or an "@" that was not percent-encoded is still read as a
    // password, not partly as the host or the database; and what follows the last "@".
    QString m_user, m_password, m_rawPassword, m_server;
};
