#include "PostgresInstance.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kAdmin = u"pgadmin"_s;
const QString kUser = u"roamlog"_s;

bool asRoot() { return ::geteuid() == 0; }

QString randomPassword() { return QString::number(QRandomGenerator::global()->generate64(), 36); }

// ROAMLOG_PG_BIN, else the Debian PostgreSQL 15 folder.
QString binaryFolder() { return qEnvironmentVariable("ROAMLOG_PG_BIN", u"/usr/lib/postgresql/15/bin"_s); }

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString lastLine(const QByteArray& output)
{
    return QString::fromLocal8Bit(output.trimmed().split('\n').last().trimmed());
}

} // namespace

// Under /tmp when root, so that the server user can reach the folder whatever TMPDIR says.
PostgresInstance::PostgresInstance(int maxConnections)
    : m_dir(asRoot() ? u"/tmp/roamlog-pg-XXXXXX"_s : QDir::tempPath() + u"/roamlog-pg-XXXXXX"_s),
      m_maxConnections(maxConnections)
{
}

QString PostgresInstance::databaseUrl() const
{
    return m_server ? urlOf(kUser, m_password, kUser) : QString();
}

QString PostgresInstance::urlOf(const QString& user, const QString& password, const QString& database) const
{
    return u"postgresql://%1:%2@127.0.0.1:%3/%4"_s.arg(user, password).arg(m_port).arg(database);
}

bool PostgresInstance::fail(const QString& reason)
{
    m_reason = reason;
    stop();
    return false;
}

bool PostgresInstance::start()
{
    if (!QFileInfo(QDir(binaryFolder()).filePath(u"postgres"_s)).isExecutable())
        return fail(u"PostgreSQL is not installed (no postgres in %1)"_s.arg(binaryFolder()));
    if (!m_dir.isValid())
        return fail(u"cannot create a temporary folder for PostgreSQL: %1"_s.arg(m_dir.errorString()));
    if (asRoot()) {
        const passwd* user = ::getpwnam("postgres");
        if (!user || ::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0)
            return fail(u"running as root, but %1 cannot be given to a \"postgres\" user"_s.arg(m_dir.path()));
    }
    // The superuser logs in only through the socket in the folder; over TCP every user needs
    // a password, as on a real installation.
    QString output;
    if (!runTool(u"initdb"_s, {u"-D"_s, m_dir.filePath(u"data"_s), u"-U"_s, kAdmin, u"--auth-host=scram-sha-256"_s,
                               u"--auth-local=trust"_s, u"-E"_s, u"UTF8"_s, u"--locale=C.UTF-8"_s, u"--no-sync"_s},
                 &output))
        return fail(u"initdb failed: %1"_s.arg(output));
    // A free port can be taken by another program before the server binds it: try another.
    for (int attempt = 0; attempt < 3 && !m_server; ++attempt) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        if (!run() && !readAll(m_dir.filePath(u"server.log"_s)).contains("could not bind"))
            return fail(m_reason);
    }
    m_password = randomPassword();
    if (!m_server || !psql(u"postgres"_s, {u"CREATE ROLE %1 LOGIN PASSWORD '%2'"_s.arg(kUser, m_password),
                                           u"CREATE DATABASE %1 OWNER %1"_s.arg(kUser)}))
        return fail(u"cannot create the test database: %1"_s.arg(m_reason));
    return true;
}

bool PostgresInstance::run()
{
    m_server = std::make_unique<QProcess>();
    asServerUser(*m_server, u"postgres"_s,
                 {u"-D"_s, m_dir.filePath(u"data"_s), u"-p"_s, QString::number(m_port), u"-k"_s, m_dir.path(), u"-c"_s,
                  u"listen_addresses=127.0.0.1"_s, u"-c"_s, u"max_connections=%1"_s.arg(m_maxConnections), u"-c"_s,
                  u"fsync=off"_s, u"-c"_s, u"synchronous_commit=off"_s, u"-c"_s, u"full_page_writes=off"_s});
    // The server's messages go to a file: a pipe that the test stops reading (its threads
    // busy with the database) would fill and stop every backend that reports an error.
    const QString log = m_dir.filePath(u"server.log"_s);
    QFile(log).open(QIODevice::WriteOnly | QIODevice::Truncate); // to be watched before it is written
    m_server->setStandardOutputFile(log, QIODevice::Append);
    QFileSystemWatcher watcher({log});
    QSignalSpy written(&watcher, &QFileSystemWatcher::fileChanged);
    m_server->start();
    for (int waits = 0; m_server->state() != QProcess::NotRunning && waits < 100; ++waits) {
        if (readAll(log).contains("ready to accept connections"))
            return true;
        written.wait(300);
    }
    m_reason = u"PostgreSQL did not start: %1"_s.arg(lastLine(readAll(log)));
    m_server.reset(); // killed
    return false;
}

void PostgresInstance::stop()
{
    if (!m_server)
        return;
    runTool(u"pg_ctl"_s, {u"stop"_s, u"-D"_s, m_dir.filePath(u"data"_s), u"-m"_s, u"fast"_s, u"-w"_s});
    m_server->waitForFinished(20000);
    m_server.reset(); // killed if it is still running
}

void PostgresInstance::asServerUser(QProcess& process, const QString& tool, const QStringList& arguments) const
{
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    // setpriv drops root for the server user and asks the kernel to stop the child when the
    // test program dies, so that a crashed test leaves no server behind.
    QStringList wrapped;
    if (asRoot())
        wrapped << u"--reuid=postgres"_s << u"--regid=postgres"_s << u"--init-groups"_s;
    process.setProgram(u"/usr/bin/setpriv"_s);
    process.setArguments(wrapped << u"--pdeathsig"_s << u"INT"_s << u"--"_s << QDir(binaryFolder()).filePath(tool)
                                 << arguments);
}

bool PostgresInstance::runTool(const QString& tool, const QStringList& arguments, QString* output)
{
    QProcess process;
    asServerUser(process, tool, arguments);
    process.start();
    const bool finished = process.waitForFinished(60000);
    if (!finished)
        process.kill();
    if (output)
        *output = lastLine(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresInstance::psql(const QString& database, const QStringList& commands)
{
    QStringList arguments{u"-X"_s, u"-q"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-h"_s, m_dir.path(), u"-p"_s,
                          QString::number(m_port), u"-U"_s, kAdmin, u"-d"_s, database};
    for (const QString& command : commands)
        arguments << u"-c"_s << command;
    return m_server && runTool(u"psql"_s, arguments, &m_reason);
}

QString PostgresInstance::addDatabase(const QString& name)
{
    return psql(u"postgres"_s, {u"CREATE DATABASE %1 OWNER %2"_s.arg(name, kUser)}) ? urlOf(kUser, m_password, name)
                                                                                   : QString();
}

QString PostgresInstance::addReader(const QString& name)
{
    const QString password = randomPassword();
    return psql(kUser, {u"CREATE ROLE %1 LOGIN PASSWORD '%2'"_s.arg(name, password),
                        u"GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1"_s.arg(name)})
               ? urlOf(name, password, kUser)
               : QString();
}
