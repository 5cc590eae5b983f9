#include "PostgresInstance.h"
#include "RawHttp.h"
#include "ServerUnderTest.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A stored line of count values, each followed by "|", percent-encoded as the program sends
// it; the place goes in as given, so that a test can put any bytes there.
QByteArray line(int count, const QByteArray& encodedPlace = "Hotel%20Sole")
{
    QByteArray rest;
    for (int i = 1; i < count; ++i)
        rest += (i == 23 ? QByteArray("*") : "v" + QByteArray::number(i)) + '|';
    return encodedPlace + "%7C" + rest.toPercentEncoding();
}

QByteArray addRecord(const QByteArray& encodedPlace)
{
    return "/cgi-bin/roamlog/roamlogdb.cgi?mac=9001&usr=&cmd=add&param=" + line(24, encodedPlace);
}

QByteArray forumPost(const QByteArray& text, const QByteArray& alias = "Mallory")
{
    return "/cgi-bin/roamlog/roamlogdb.cgi?path=post&param=" + text + "&usr=" + alias
         + "&mac=9002&param2=05-14-2026%2009:05:07";
}

} // namespace

// Requests no client should send, and clients that misbehave: each gets a calm refusal, the
// server goes on answering others, and nothing broken reaches the database.
class ServerHostileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PostgresInstance m_postgres; // outlives the server that uses it
    std::unique_ptr<ServerUnderTest> m_server;
    QMap<QString, int> m_counts; // what the database held before the test function

    quint16 port() const { return m_server->port(); }

    // The counts the admin command reports ("records", "posts", ...).
    QMap<QString, int> counts() const
    {
        QMap<QString, int> found;
        static const QRegularExpression count(u"([A-Za-z]+)\\W*(\\d+)"_s);
        for (auto it = count.globalMatch(m_server->admin({u"stats"_s})); it.hasNext();) {
            const auto match = it.next();
            found.insert(match.captured(1).toLower(), match.captured(2).toInt());
        }
        return found;
    }

    void verifyAlive()
    {
        const RawHttp::Answer version = RawHttp::get(port(), "/roamlog/version.txt");
        QVERIFY2(version.status == 200, qPrintable(version.error + m_server->log().right(2000)));
        QVERIFY(!version.body.trimmed().isEmpty());
    }

    static void verifyRefusal(const RawHttp::Answer& answer)
    {
        QVERIFY2(answer.answered, qPrintable(answer.error));
        QVERIFY2(answer.status >= 400 && answer.status < 500, qPrintable(u"status %1"_s.arg(answer.status)));
        for (const char* token : {"ok", "tkn", "ban"})
            QVERIFY2(!answer.body.startsWith(token), answer.body.left(200));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!ServerUnderTest::isBuilt())
            QSKIP("roamlog-server is not built");
        const auto database = ServerUnderTest::testDatabase(m_dir.filePath(u"hostile.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        m_server = std::make_unique<ServerUnderTest>();
        QVERIFY2(m_server->start(*database), qPrintable(m_server->log()));
        // One good record and post, so that the counts start above zero.
        QVERIFY(RawHttp::get(port(), addRecord("Good")).body.startsWith("ok"));
        QVERIFY(RawHttp::get(port(), forumPost("Hello", "Alice")).body.startsWith("ok"));
    }

    void init() { m_counts = counts(); }

    // After every test function: the server answers and stored nothing new.
    void cleanup()
    {
        verifyAlive();
        QCOMPARE(counts(), m_counts);
    }

    void cleanupTestCase() { m_server.reset(); }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("target");
        const QByteArray script = "/cgi-bin/roamlog/roamlogdb.cgi?";
        // clang-format off
        QTest::newRow("add without param") << script + "mac=9001&usr=&cmd=add";
        QTest::newRow("add without mac") << script + "usr=&cmd=add&param=" + line(24);
        QTest::newRow("add without cmd") << script + "mac=9001&usr=&param=" + line(24);
        QTest::newRow("unknown cmd") << script + "mac=9001&usr=&cmd=drop&param=" + line(24);
        QTest::newRow("no query") << script;
        QTest::newRow("param twice") << script + "mac=9001&usr=&cmd=add&param=" + line(24) + "&param=" + line(24);
        QTest::newRow("23 fields") << script + "mac=9001&usr=&cmd=add&param=" + line(23);
        QTest::newRow("25 fields") << script + "mac=9001&usr=&cmd=add&param=" + line(25);
        QTest::newRow("no last bar") << script + "mac=9001&usr=&cmd=add&param=" + line(24).chopped(3);
        QTest::newRow("empty line") << script + "mac=9001&usr=&cmd=add&param=";
        QTest::newRow("escape %zz") << addRecord("Bad%zzPlace");
        QTest::newRow("escape %4 at end") << script + "mac=9001&usr=&cmd=add&param=" + line(24) + "%4";
        QTest::newRow("escape %4 inside") << addRecord("Bad%4");
        QTest::newRow("byte 81") << addRecord("Bad%81");
        QTest::newRow("byte 8D") << addRecord("Bad%8D");
        QTest::newRow("byte 8F") << addRecord("Bad%8F");
        QTest::newRow("byte 90") << addRecord("Bad%90");
        QTest::newRow("byte 9D") << addRecord("Bad%9D");
        QTest::newRow("NUL in record") << addRecord("Bad%00Place");
        QTest::newRow("line break in record") << addRecord("Bad%0D%0APlace");
        QTest::newRow("tab in record") << addRecord("Bad%09Place");
        QTest::newRow("post without param") << script + "path=post&usr=Mallory&mac=9002&param2=x";
        QTest::newRow("post without usr") << script + "path=post&param=Hi&mac=9002&param2=x";
        QTest::newRow("post without mac") << script + "path=post&param=Hi&usr=Mallory&param2=x";
        QTest::newRow("post with empty alias") << forumPost("Hi", "");
        QTest::newRow("NUL in post") << forumPost("Hi%00there");
        QTest::newRow("bell in post") << forumPost("Hi%07there");
        QTest::newRow("byte 81 in post") << forumPost("Hi%81there");
        QTest::newRow("escape %zz in post") << forumPost("Hi%zz");
        QTest::newRow("NUL in alias") << forumPost("Hi", "Mal%00lory");
        QTest::newRow("post of 2001 characters") << forumPost(QByteArray(2001, 'a'));
        QTest::newRow("post of 2000 with a line break") << forumPost(QByteArray(1000, 'a') + "%0D%0A" + QByteArray(999, 'a'));
        QTest::newRow("alias of 65 characters") << forumPost("Hi", QByteArray(65, 'a'));
        // clang-format on
    }
    void refused()
    {
        QFETCH(QByteArray, target);
        verifyRefusal(RawHttp::get(port(), target));
    }

    // A target over 64 KiB is turned away before the server reads it as a request.
    void oversizedTarget()
    {
        const RawHttp::Answer answer = RawHttp::get(port(), addRecord(QByteArray(1024 * 1024, 'a')));
        verifyRefusal(answer);
        QCOMPARE(answer.status, 414);
    }

    // A client that sends half a request and goes silent holds only its own connection: the
    // others are answered meanwhile, and the server drops the silent one after its time-out.
    void halfRequest()
    {
        QTcpSocket slow;
        slow.connectToHost(u"127.0.0.1"_s, port());
        QVERIFY(slow.waitForConnected(5000));
        slow.write("GET /roamlog/version.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        QVERIFY(slow.waitForBytesWritten(5000));
        for (int i = 0; i < 5; ++i)
            verifyAlive();
        QElapsedTimer clock;
        clock.start();
        while (slow.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 20000)
            slow.waitForReadyRead(500);
        QVERIFY2(slow.state() != QAbstractSocket::ConnectedState, "the silent client was never dropped");
        QVERIFY2(!slow.readAll().startsWith("HTTP/1.1 200"), "a half request was answered as a whole one");
    }

    // Many clients at once: every one gets the version.
    void manyConnections()
    {
        constexpr int kClients = 150;
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < kClients; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(u"127.0.0.1"_s, port());
        }
        for (auto& client : clients) {
            QVERIFY(client->waitForConnected(5000));
            client->write("GET /roamlog/version.txt HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
            // Sent now, not when the loop below reaches this client: a request held back would
            // keep a server thread waiting for it while the clients before it queue.
            QVERIFY(client->waitForBytesWritten(5000));
        }
        int answered = 0;
        for (auto& client : clients) {
            QByteArray response;
            QElapsedTimer clock;
            clock.start();
            while (client->state() == QAbstractSocket::ConnectedState && clock.elapsed() < 20000) {
                client->waitForReadyRead(200);
                response += client->readAll();
            }
            response += client->readAll();
            if (RawHttp::parse(response).status == 200)
                ++answered;
        }
        QCOMPARE(answered, kClients);
    }
};

QTEST_GUILESS_MAIN(ServerHostileTest)
#include "test_server_hostile.moc"
