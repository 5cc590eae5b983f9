// Several roamlog-server processes on one database, as behind a load balancer. Each keeps to
// its pool of connections, so that three serve pages and shares at once on a PostgreSQL that
// takes 30 connections; and an installation whose shares reach all three at once gets exactly
// its hourly limit stored.
#include "PostgresInstance.h"
#include "RawHttp.h"
#include "ServerUnderTest.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;

class ServerProcessesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    PostgresInstance m_postgres{30};

private slots:
    void threeServersOnOneDatabase()
    {
        QVERIFY2(ServerUnderTest::isBuilt(), "roamlog-server is not built");
        const auto database = ServerUnderTest::testDatabase(m_folder.filePath(u"shared.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        ServerUnderTest servers[3];
        for (ServerUnderTest& server : servers)
            QVERIFY2(server.start(*database, {u"--database-connections"_s, u"8"_s, u"--records-per-hour"_s, u"20"_s}),
                     qPrintable(server.log()));
        QMutex lock;
        QMap<QByteArray, int> answers; // by what was asked and its status
        std::vector<std::thread> clients;
        for (int client = 0; client < 36; ++client)
            clients.emplace_back([&, client] {
                const quint16 port = servers[client % 3].port();
                for (int i = 0; i < 2; ++i) {
                    const QByteArray line = "Inn " + QByteArray::number(client * 2 + i) + QByteArray(23, '|') + "*|";
                    const int shared =
                        RawHttp::get(port, "/cgi-bin/roamlog/roamlogdb.cgi?mac=busy&usr=&cmd=add&param=" +
                                               line.toPercentEncoding()).status;
                    const int found = RawHttp::get(port, "/cgi-bin/roamlogdb.cgi?cmd=find&q=inn").status;
                    QMutexLocker guard(&lock);
                    ++answers["share " + QByteArray::number(shared)];
                    ++answers["page " + QByteArray::number(found)];
                }
            });
        for (std::thread& client : clients)
            client.join();
        const QMap<QByteArray, int> expected{{"share 200", 20}, {"share 429", 52}, {"page 200", 72}};
        QCOMPARE(answers, expected);
        QVERIFY(servers[0].admin({u"stats"_s}).contains(u"records 20\n"_s));
    }
};

QTEST_GUILESS_MAIN(ServerProcessesTest)
#include "test_server_processes.moc"
