// Three roamlog-server processes on one database keep to their pools of connections: all 36
// clients at once get their pages and shares on a PostgreSQL of 30 connections.
#include "PostgresInstance.h"
#include "RawHttp.h"
#include "ServerUnderTest.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

#include <latch>
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
        const auto database = ServerUnderTest::testDatabase(m_folder.filePath(u"shared.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        ServerUnderTest servers[3];
        for (ServerUnderTest& server : servers)
            QVERIFY2(server.start(*database, {u"--database-connections"_s, u"8"_s}), qPrintable(server.log()));
        QMutex lock;
        QMap<int, int> statuses; // how many answers had each
        std::latch ready(36);
        std::vector<std::jthread> clients;
        for (int client = 0; client < 36; ++client)
            clients.emplace_back([&, client] {
                const QByteArray line = "Inn " + QByteArray::number(client) + QByteArray(23, '|') + "*|";
                const quint16 port = servers[client % 3].port();
                ready.arrive_and_wait();
                for (const QByteArray& target : {"/cgi-bin/roamlog/roamlogdb.cgi?mac=" + QByteArray::number(client) +
                                                     "&usr=&cmd=add&param=" + line.toPercentEncoding(),
                                                 "/cgi-bin/roamlogdb.cgi?cmd=find&q=inn"_ba}) {
                    const int status = RawHttp::get(port, target).status;
                    QMutexLocker guard(&lock);
                    ++statuses[status];
                }
            });
        clients.clear(); // joined
        QCOMPARE(statuses, (QMap<int, int>{{200, 72}}));
        QVERIFY(servers[0].admin({u"stats"_s}).contains(u"records 36\n"_s));
    }
};

QTEST_GUILESS_MAIN(ServerProcessesTest)
#include "test_server_processes.moc"
