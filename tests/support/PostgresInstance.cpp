#include "PostgresInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr auto kServerUser = "postgres"; // the system user of the Debian package
constexpr int kToolTimeoutMs = 60000;
constexpr int kReadyTimeoutMs = 30000;
const QString kAdmin = u"pgadmin"_s;
const QString kUser = u"roamlog"_s;
const QString kDatabase = u"roamlog"_s;

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// Under /tmp when root, so that the server user can reach the folder whatever TMPDIR says.
QString folderTemplate()
{
    return runningAsRoot() ? u"/tmp/roamlog-pg-XXXXXX"_s : QDir::tempPath() + u"/roamlog-pg-XXXXXX"_s;
}

QString randomPassword()
{
    const QString letters = u"abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789"_s;
    QString password;
    for (int i = 0; i < 20; ++i)
        password += letters.at(QRandomGenerator::global()->bounded(letters.size()));
    return password;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // free again once probe goes
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString lastLine(const QByteArray& output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.isEmpty() ? QByteArray() : lines.last().trimmed());
}

} // namespace

PostgresInstance::PostgresInstance()
    : m_dir(folderTemplate())
    , m_asRoot(runningAsRoot())
{
}

PostgresInstance::~PostgresInstance()
{
    stop();
}

QString PostgresInstance::binaryFolder()
{
    const QString configured = qEnvironmentVariable("ROAMLOG_PG_BIN");
    return configured.isEmpty() ? u"/usr/lib/postgresql/15/bin"_s : configured;
}

QString PostgresInstance::databaseUrl() const
{
    if (!m_server || m_server->state() != QProcess::Running)
        return {};
    return urlOf(kUser, m_password, kDatabase);
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
#ifndef Q_OS_UNIX
    return fail(u"PostgreSQL test instances are started on Unix systems only"_s);
#else
    for (const char* tool : {"initdb", "pg_ctl", "postgres", "psql"}) {
        if (!QFileInfo(QDir(binaryFolder()).filePath(QString::fromLatin1(tool))).isExecutable())
            return fail(u"PostgreSQL is not installed (no %1 in %2)"_s.arg(QString::fromLatin1(tool), binaryFolder()));
    }
    return prepareFolder() && initCluster() && startServer() && createDatabase();
#endif
}

bool PostgresInstance::prepareFolder()
{
    if (!m_dir.isValid())
        return fail(u"cannot create a temporary folder for PostgreSQL: %1"_s.arg(m_dir.errorString()));
#ifdef Q_OS_UNIX
    if (m_asRoot) {
        const passwd* user = ::getpwnam(kServerUser);
        if (!user)
            return fail(u"running as root, but there is no \"postgres\" user to run PostgreSQL"_s);
        if (::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0)
            return fail(u"cannot give %1 to the postgres user"_s.arg(m_dir.path()));
    }
#endif
    return true;
}

void PostgresInstance::asServerUser(QProcess& process, const QString& program, const QStringList& arguments) const
{
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    // setpriv drops root for the server user and asks the kernel to stop the child when the
    // test program dies, so that a crashed test leaves no server behind.
    const QString setpriv = u"/usr/bin/setpriv"_s;
    if (!QFileInfo(setpriv).isExecutable()) {
        process.setProgram(program);
        process.setArguments(arguments);
        return;
    }
    QStringList wrapped;
    if (m_asRoot)
        wrapped << u"--reuid=%1"_s.arg(QString::fromLatin1(kServerUser))
                << u"--regid=%1"_s.arg(QString::fromLatin1(kServerUser)) << u"--init-groups"_s;
    wrapped << u"--pdeathsig"_s << u"INT"_s << u"--"_s << program << arguments;
    process.setProgram(setpriv);
    process.setArguments(wrapped);
}

bool PostgresInstance::runTool(const QString& tool, const QStringList& arguments, QString* output)
{
    QProcess process;
    asServerUser(process, QDir(binaryFolder()).filePath(tool), arguments);
    process.start();
    const bool finished = process.waitForFinished(kToolTimeoutMs);
    if (!finished)
        process.kill();
    const QByteArray text = process.readAll();
    if (output)
        *output = lastLine(text);
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString PostgresInstance::dataFolder() const
{
    return m_dir.filePath(u"data"_s);
}

bool PostgresInstance::initCluster()
{
    QString output;
    // The superuser logs in only through the socket in the folder; over TCP every user needs
    // a password, as on a real installation.
    if (!runTool(u"initdb"_s,
                 {u"-D"_s, dataFolder(), u"-U"_s, kAdmin, u"--auth-host=scram-sha-256"_s,
                  u"--auth-local=trust"_s, u"-E"_s, u"UTF8"_s, u"--locale=C.UTF-8"_s, u"--no-sync"_s},
                 &output))
        return fail(u"initdb failed: %1"_s.arg(output));
    return true;
}

bool PostgresInstance::startServer()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        m_server = std::make_unique<QProcess>();
        asServerUser(*m_server, QDir(binaryFolder()).filePath(u"postgres"_s),
                     {u"-D"_s, dataFolder(), u"-p"_s, QString::number(m_port), u"-k"_s, m_dir.path(),
                      u"-c"_s, u"listen_addresses=127.0.0.1"_s, u"-c"_s, u"fsync=off"_s,
                      u"-c"_s, u"synchronous_commit=off"_s, u"-c"_s, u"full_page_writes=off"_s});
        // The server's messages go to a file: a pipe that the test stops reading (its threads
        // busy with the database) would fill and stop every backend that reports an error.
        const QString logFile = m_dir.filePath(u"server.log"_s);
        m_server->setStandardOutputFile(logFile);
        m_server->start();
        QByteArray log;
        QElapsedTimer clock;
        clock.start();
        while (m_server->state() != QProcess::NotRunning && clock.elapsed() < kReadyTimeoutMs) {
            m_server->waitForFinished(200);
            log = readFile(logFile);
            if (log.contains("ready to accept connections"))
                return true;
        }
        log = readFile(logFile);
        const bool portTaken = log.contains("could not bind") || log.contains("Address already in use");
        m_server->kill();
        m_server->waitForFinished(5000);
        m_server.reset();
        if (!portTaken)
            return fail(u"PostgreSQL did not start: %1"_s.arg(lastLine(log)));
    }
    return fail(u"PostgreSQL found no free port"_s);
}

QStringList PostgresInstance::adminConnection() const
{
    return {u"-X"_s, u"-q"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-h"_s, m_dir.path(),
            u"-p"_s, QString::number(m_port), u"-U"_s, kAdmin, u"-d"_s};
}

QString PostgresInstance::addDatabase(const QString& name)
{
    QString output;
    if (databaseUrl().isEmpty() || // no server running
        !runTool(u"psql"_s,
                 adminConnection() + QStringList{u"postgres"_s, u"-c"_s, u"CREATE DATABASE %1 OWNER %2"_s.arg(name, kUser)},
                 &output))
        return {};
    return urlOf(kUser, m_password, name);
}

QString PostgresInstance::addReader(const QString& name)
{
    const QString password = randomPassword();
    QString output;
    if (databaseUrl().isEmpty() ||
        !runTool(u"psql"_s,
                 adminConnection() + QStringList{kDatabase, u"-c"_s,
                                                 u"CREATE ROLE %1 LOGIN PASSWORD '%2'"_s.arg(name, password), u"-c"_s,
                                                 u"GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1"_s.arg(name)},
                 &output))
        return {};
    return urlOf(name, password, kDatabase);
}

bool PostgresInstance::createDatabase()
{
    m_password = randomPassword();
    const QStringList connect = adminConnection();
    QString output;
    if (!runTool(u"psql"_s,
                 connect + QStringList{u"postgres"_s, u"-c"_s,
                                       u"CREATE ROLE %1 LOGIN PASSWORD '%2'"_s.arg(kUser, m_password), u"-c"_s,
                                       u"CREATE DATABASE %1 OWNER %2"_s.arg(kDatabase, kUser)},
                 &output))
        return fail(u"cannot create the test database: %1"_s.arg(output));
    // The record browser's word search uses trigram indexes.
    if (!runTool(u"psql"_s, connect + QStringList{kDatabase, u"-c"_s, u"CREATE EXTENSION IF NOT EXISTS pg_trgm"_s},
                 &output))
        return fail(u"cannot install pg_trgm: %1"_s.arg(output));
    return true;
}

void PostgresInstance::stop()
{
    if (!m_server)
        return;
    if (m_server->state() != QProcess::NotRunning) {
        runTool(u"pg_ctl"_s, {u"stop"_s, u"-D"_s, dataFolder(), u"-m"_s, u"fast"_s, u"-w"_s, u"-t"_s, u"20"_s},
                nullptr);
        if (!m_server->waitForFinished(20000)) {
            m_server->kill();
            m_server->waitForFinished(5000);
        }
    }
    m_server.reset();
}
