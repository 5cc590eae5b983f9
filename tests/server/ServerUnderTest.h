#pragma once

#include "PostgresInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <optional>

// The real roamlog-server for the server tests: started on a free 127.0.0.1 port with the
// arguments a test gives (its database), ready once it printed its address, and stopped with
// SIGTERM when the object goes, as a service manager stops it.
class ServerUnderTest
{
public:
    ~ServerUnderTest() { stop(); }

    // ROAMLOG_SERVER, else the program built with the tests.
    static QString program() { return qEnvironmentVariable("ROAMLOG_SERVER", QStringLiteral(ROAMLOG_SERVER_PROGRAM)); }
    static bool isBuilt() { return !program().isEmpty() && QFileInfo(program()).isExecutable(); }
    // ROAMLOG_TEST_ENGINE=postgresql: the same tests on PostgreSQL instead of an SQLite file.
    static bool onPostgres() { return qEnvironmentVariable("ROAMLOG_TEST_ENGINE") == QStringLiteral("postgresql"); }
    // The SQLite file, or the database of postgres; nothing when it cannot start (it says why).
    static std::optional<QString> testDatabase(const QString& sqliteFile, PostgresInstance& postgres)
    {
        return !onPostgres() ? std::optional(sqliteFile) : postgres.start() ? std::optional(postgres.databaseUrl()) : std::nullopt;
    }

    // "serve --listen 127.0.0.1:0 --database DATABASE" and the extra arguments.
    bool start(const QString& database, const QStringList& extra = {})
    {
        m_database = database;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program(), QStringList{QStringLiteral("serve"), QStringLiteral("--listen"),
                                               QStringLiteral("127.0.0.1:0"), QStringLiteral("--database"), database} +
                                       extra);
        static const QRegularExpression ready(QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+/)"));
        for (QDeadlineTimer deadline(20000); m_process.state() != QProcess::NotRunning && !deadline.hasExpired() &&
                                             m_baseUrl.isEmpty();) {
            m_process.waitForReadyRead(100);
            m_baseUrl = ready.match(log()).captured(1);
        }
        return !m_baseUrl.isEmpty();
    }
    // SIGTERM; the exit status, or -1 when it had to be killed.
    int stop(int timeoutMs = 15000)
    {
        m_process.terminate(); // nothing when it has ended
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    QString baseUrl() const { return m_baseUrl; } // "http://127.0.0.1:PORT/"
    quint16 port() const { return quint16(QUrl(m_baseUrl).port()); }
    qint64 processId() const { return m_process.processId(); }
    QString log() const { return QString::fromUtf8(m_log += m_process.readAll()); } // all it printed so far

    struct Run { int exitCode = -1; QString output; };
    // The program run to its end with these arguments, in folder (else the current one): its
    // exit status, and its standard output followed by its standard error.
    static Run run(const QStringList& arguments, const QString& folder = {})
    {
        QProcess tool;
        tool.setWorkingDirectory(folder);
        tool.start(program(), arguments);
        if (!tool.waitForFinished(15000))
            tool.kill();
        // Standard error after the whole output, so that a driver's notice cannot land in the
        // middle of a CSV export.
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError())};
    }
    // An admin command on the same database ("stats", "ban 123"...): what it printed.
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
