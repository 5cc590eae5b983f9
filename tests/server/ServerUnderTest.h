#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

class PostgresInstance;

// The real roamlog-server for the server tests: started on a free 127.0.0.1 port with the
// arguments a test gives (its database), ready once it printed its address, and stopped with
// SIGTERM when the object goes, as a service manager stops it.
class ServerUnderTest
{
public:
    ServerUnderTest() = default;
    ~ServerUnderTest() { stop(); }
    ServerUnderTest(const ServerUnderTest&) = delete;
    ServerUnderTest& operator=(const ServerUnderTest&) = delete;

    static QString program(); // ROAMLOG_SERVER, else the program built with the tests
    static bool isBuilt();
    // The test runs on PostgreSQL instead of an SQLite file (ROAMLOG_TEST_ENGINE=postgresql),
    // so that the same tests cover both engines.
    static bool onPostgres() { return qEnvironmentVariable("ROAMLOG_TEST_ENGINE") == QStringLiteral("postgresql"); }
    // The database a test runs on: the SQLite file, or on PostgreSQL the server started in
    // postgres; nothing when that server cannot be started (postgres says why).
    static std::optional<QString> testDatabase(const QString& sqliteFile, PostgresInstance& postgres);

    // "serve --listen 127.0.0.1:0 --database DATABASE" and the extra arguments.
    bool start(const QString& database, const QStringList& extra = {});
    // SIGTERM; the exit status once it ended within timeoutMs, else -1 (and it is killed).
    int stop(int timeoutMs = 15000);

    QString baseUrl() const { return m_baseUrl; } // "http://127.0.0.1:PORT/"
    quint16 port() const;
    qint64 processId() const { return m_process.processId(); }
    QString log() const; // everything the server printed so far

    struct Run
    {
        int exitCode = -1;
        QString output; // standard output, then standard error
    };
    // The program with these arguments, run to its end in folder (the current one when empty).
    static Run run(const QStringList& arguments, const QString& folder = {});
    // An admin command on the same database ("stats", "export", "ban 123"...): what it printed.
    QString admin(const QStringList& command) const
    {
        return run(command + QStringList{QStringLiteral("--database"), m_database}).output;
    }

private:
    mutable QProcess m_process;
    mutable QByteArray m_log;
    QString m_database;
    QString m_baseUrl;
};
