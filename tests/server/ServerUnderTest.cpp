#include "ServerUnderTest.h"

#include "PostgresInstance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

QString ServerUnderTest::program()
{
    const QString configured = qEnvironmentVariable("ROAMLOG_SERVER");
#ifdef ROAMLOG_SERVER_PROGRAM
    return configured.isEmpty() ? QString::fromUtf8(ROAMLOG_SERVER_PROGRAM) : configured;
#else
    return configured;
#endif
}

bool ServerUnderTest::isBuilt()
{
    return !program().isEmpty() && QFileInfo(program()).isExecutable();
}

std::optional<QString> ServerUnderTest::testDatabase(const QString& sqliteFile, PostgresInstance& postgres)
{
    if (!onPostgres())
        return sqliteFile;
    if (!postgres.start())
        return std::nullopt;
    return postgres.databaseUrl();
}

bool ServerUnderTest::start(const QString& database, const QStringList& extra)
{
    m_database = database;
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program(), QStringList{u"serve"_s, u"--listen"_s, u"127.0.0.1:0"_s, u"--database"_s, database} + extra);
    static const QRegularExpression ready(u"listening on (http://127\\.0\\.0\\.1:\\d+/)"_s);
    const QDeadlineTimer deadline(20000);
    while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        m_process.waitForReadyRead(100);
        if (const auto match = ready.match(log()); match.hasMatch()) {
            m_baseUrl = match.captured(1);
            return true;
        }
    }
    return false;
}

int ServerUnderTest::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (m_process.waitForFinished(timeoutMs) && m_process.exitStatus() == QProcess::NormalExit)
        return m_process.exitCode();
    m_process.kill();
    m_process.waitForFinished(5000);
    return -1;
}

quint16 ServerUnderTest::port() const
{
    return quint16(QUrl(m_baseUrl).port());
}

QString ServerUnderTest::log() const
{
    m_log += m_process.readAll();
    return QString::fromUtf8(m_log);
}

ServerUnderTest::Run ServerUnderTest::run(const QStringList& arguments, const QString& folder)
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
