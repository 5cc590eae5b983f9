#include "ServerUnderTest.h"

#include "PostgresInstance.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

ServerUnderTest::~ServerUnderTest()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(15000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

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
    QElapsedTimer clock;
    clock.start();
    while (m_process.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
        m_process.waitForReadyRead(100);
        if (const auto match = ready.match(log()); match.hasMatch()) {
            m_baseUrl = match.captured(1);
            return true;
        }
    }
    return false;
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

QString ServerUnderTest::admin(const QStringList& command) const
{
    QProcess tool;
    // Standard error comes after the whole output, so that a driver's notice cannot land in the
    // middle of a CSV export.
    tool.start(program(), command + QStringList{u"--database"_s, m_database});
    if (!tool.waitForFinished(30000))
        tool.kill();
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
}
