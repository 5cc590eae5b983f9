#include "server/DatabaseAddress.h"

#include <QSqlQuery>
#include <QUrl>

using namespace Qt::StringLiterals;

DatabaseAddress::DatabaseAddress(QString location)
    : m_location(std::move(location)),
      m_postgres(m_location.startsWith(u"postgresql://"_s) || m_location.startsWith(u"postgres://"_s))
{
    if (!m_postgres)
        return;
    const QString rest = m_location.mid(m_location.indexOf(u"://"_s) + 3);
    const qsizetype at = rest.lastIndexOf(u'@');
    const QString userInfo = at < 0 ? QString() : rest.left(at);
    const qsizetype colon = userInfo.indexOf(u':');
    m_user = QUrl::fromPercentEncoding(userInfo.left(colon).toUtf8());
    m_rawPassword = colon < 0 ? QString() : userInfo.mid(colon + 1);
    m_password = QUrl::fromPercentEncoding(m_rawPassword.toUtf8());
    m_server = rest.mid(at + 1);
}

QString DatabaseAddress::withoutSecrets(QString text) const
{
    for (const QString& secret : {m_rawPassword, m_password}) {
        if (!secret.isEmpty())
            text.replace(secret, u"***"_s);
    }
    return text;
}

QSqlDatabase DatabaseAddress::add(const QString& name) const
{
    if (!m_postgres) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(m_location);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
        return db;
    }
    const QUrl server(u"postgresql://"_s + m_server);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
    db.setHostName(server.host());
    db.setPort(server.port(5432));
    db.setUserName(m_user);
    // Without one, libpq looks for the password in the environment and the password file.
    if (!m_password.isEmpty())
        db.setPassword(m_password);
    db.setDatabaseName(server.path(QUrl::FullyDecoded).mid(1));
    return db;
}

bool DatabaseAddress::open(QSqlDatabase& db) const
{
    if (!db.open())
        return false;
    if (m_postgres) {
        QSqlQuery(db).exec(u"SET client_min_messages TO WARNING"_s); // no notices on the console
        return true;
    }
    // Readers never wait for the writer, and a commit need not wait for the disk.
    QSqlQuery(db).exec(u"PRAGMA journal_mode=WAL"_s);
    QSqlQuery(db).exec(u"PRAGMA synchronous=NORMAL"_s);
    // A page reads its rows at random; mapped, they are read without a copy each.
    QSqlQuery(db).exec(u"PRAGMA mmap_size=1073741824"_s);
    // The pages that each write's savepoint keeps for undoing it stay in memory.
    QSqlQuery(db).exec(u"PRAGMA temp_store=MEMORY"_s);
    return true;
}
