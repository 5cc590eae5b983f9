#include "PostgresInstance.h"
#include "RawHttp.h"
#include "ServerUnderTest.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kScript = "/cgi-bin/roamlog/roamlogdb.cgi?";
constexpr int kSlowClients = 500;

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
    return kScript + "mac=9001&usr=&cmd=add&param=" + line(24, encodedPlace);
}

QByteArray forumPost(const QByteArray& text, const QByteArray& alias = "Mallory")
{
    return kScript + "path=post&param=" + text + "&usr=" + alias + "&mac=9002&param2=05-14-2026%2009:05:07";
}

std::unique_ptr<QTcpSocket> connected(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(u"127.0.0.1"_s, port);
    socket->waitForConnected(5000);
    return socket;
}

// What a client received until the server closed the connection.
QByteArray readToEnd(QTcpSocket& socket)
{
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000)) {
    }
    return socket.readAll();
}

// A line of /proc/PID/status in KiB: VmRSS now, VmHWM the most so far.
qint64 memoryKiB(qint64 pid, const QByteArray& name)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& text : status.readAll().split('\n'))
        if (text.startsWith(name + ':'))
            return text.mid(name.size() + 1).trimmed().split(' ').first().toLongLong();
    return -1;
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
    QString m_counts; // what the database held before the test function

    quint16 port() const { return m_server->port(); }

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
        QVERIFY2(m_server->start(*database, {u"--connections-per-address"_s, QString::number(kSlowClients + 1),
                                              u"--current-version"_s, u"987"_s}),
                 qPrintable(m_server->log()));
        // One good record and post, so that the counts start above zero.
        QVERIFY(RawHttp::get(port(), addRecord("Good")).body.startsWith("ok"));
        QVERIFY(RawHttp::get(port(), forumPost("Hello", "Alice")).body.startsWith("ok"));
    }

    void init() { m_counts = m_server->admin({u"stats"_s}); }

    // After every test function: the server answers and stored nothing new.
    void cleanup()
    {
        const RawHttp::Answer version = RawHttp::get(port(), "/roamlog/version.txt");
        QVERIFY2(version.body == "987", qPrintable(version.error + m_server->log().right(2000)));
        QCOMPARE(m_server->admin({u"stats"_s}), m_counts);
    }

    void cleanupTestCase() { m_server.reset(); }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("status"); // 0: any 4xx
        const QByteArray add = kScript + "mac=9001&usr=&cmd=add&param=";
        // clang-format off
        QTest::newRow("add without param") << "GET"_ba << kScript + "mac=9001&usr=&cmd=add" << ""_ba << 0;
        QTest::newRow("add without mac") << "GET"_ba << kScript + "usr=&cmd=add&param=" + line(24) << ""_ba << 0;
        QTest::newRow("add without cmd") << "GET"_ba << kScript + "mac=9001&usr=&param=" + line(24) << ""_ba << 0;
        QTest::newRow("unknown cmd") << "GET"_ba << kScript + "mac=9001&usr=&cmd=drop&param=" + line(24) << ""_ba << 400;
        QTest::newRow("no query") << "GET"_ba << kScript << ""_ba << 0;
        QTest::newRow("param twice") << "GET"_ba << add + line(24) + "&param=" + line(24) << ""_ba << 0;
        QTest::newRow("23 fields") << "GET"_ba << add + line(23) << ""_ba << 400;
        QTest::newRow("25 fields") << "GET"_ba << add + line(25) << ""_ba << 400;
        QTest::newRow("no last bar") << "GET"_ba << add + line(24).chopped(3) << ""_ba << 0;
        QTest::newRow("empty line") << "GET"_ba << add << ""_ba << 0;
        QTest::newRow("escape %zz") << "GET"_ba << addRecord("Bad%zzPlace") << ""_ba << 400;
        QTest::newRow("escape %4 at end") << "GET"_ba << add + line(24) + "%4" << ""_ba << 0;
        QTest::newRow("byte 81") << "GET"_ba << addRecord("Bad%81") << ""_ba << 0;
        QTest::newRow("byte 9D") << "GET"_ba << addRecord("Bad%9D") << ""_ba << 0;
        QTest::newRow("NUL in record") << "GET"_ba << addRecord("Bad%00Place") << ""_ba << 0;
        QTest::newRow("line break in record") << "GET"_ba << addRecord("Bad%0D%0APlace") << ""_ba << 0;
        QTest::newRow("post without param") << "GET"_ba << kScript + "path=post&usr=Mallory&mac=9002&param2=x" << ""_ba << 0;
        QTest::newRow("post without usr") << "GET"_ba << kScript + "path=post&param=Hi&mac=9002&param2=x" << ""_ba << 0;
        QTest::newRow("post without mac") << "GET"_ba << kScript + "path=post&param=Hi&usr=Mallory&param2=x" << ""_ba << 0;
        QTest::newRow("post with empty alias") << "GET"_ba << forumPost("Hi", "") << ""_ba << 0;
        QTest::newRow("NUL in post") << "GET"_ba << forumPost("Hi%00there") << ""_ba << 0;
        QTest::newRow("escape %zz in post") << "GET"_ba << forumPost("Hi%zz") << ""_ba << 0;
        QTest::newRow("NUL in alias") << "GET"_ba << forumPost("Hi", "Mal%00lory") << ""_ba << 0;
        QTest::newRow("post of 2001 characters") << "GET"_ba << forumPost(QByteArray(2001, 'a')) << ""_ba << 0;
        QTest::newRow("post of 2000 with a line break") << "GET"_ba << forumPost(QByteArray(1000, 'a') + "%0D%0A" + QByteArray(999, 'a')) << ""_ba << 0;
        QTest::newRow("alias of 65 characters") << "GET"_ba << forumPost("Hi", QByteArray(65, 'a')) << ""_ba << 0;
        // Only GET stores; the HTTP layer's own limits come before the script.
        QTest::newRow("HEAD add") << "HEAD"_ba << addRecord("Head") << ""_ba << 405;
        QTest::newRow("POST post") << "POST"_ba << forumPost("Posted") << ""_ba << 405;
        QTest::newRow("DELETE page") << "DELETE"_ba << kScript + "cmd=find" << ""_ba << 405;
        QTest::newRow("no such address") << "GET"_ba << "/cgi-bin/other.cgi"_ba << ""_ba << 404;
        QTest::newRow("target of 64 KiB reaches the script") << "GET"_ba << add + QByteArray(65536 - add.size(), 'a') << ""_ba << 400;
        QTest::newRow("target beyond 64 KiB") << "GET"_ba << add + QByteArray(65537 - add.size(), 'a') << ""_ba << 414;
        QTest::newRow("target of 1 MB") << "GET"_ba << addRecord(QByteArray(1 << 20, 'a')) << ""_ba << 414;
        QTest::newRow("header lines beyond 32 KiB") << "GET"_ba << "/roamlog/version.txt"_ba << "X-Big: " + QByteArray(33 << 10, 'a') + "\r\n" << 431;
        // clang-format on
    }
    void refused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, headers);
        QFETCH(int, status);
        const RawHttp::Answer answer = RawHttp::request(port(), method, target, headers);
        QVERIFY2(answer.answered, qPrintable(answer.error));
        QVERIFY2(status ? answer.status == status : answer.status >= 400 && answer.status < 500,
                 qPrintable(u"status %1"_s.arg(answer.status)));
        for (const char* token : {"ok", "tkn", "ban"})
            QVERIFY2(!answer.body.startsWith(token), answer.body.left(200));
    }

    // Slow clients hold a socket each and no thread: a client with a kept-alive connection is
    // answered at once meanwhile, one more connection from their address is turned away, and
    // every request not whole 10 s after its first byte is dropped unanswered, even one that
    // trickles in a byte at a time.
    void slowClients()
    {
        std::vector<std::unique_ptr<QTcpSocket>> slow;
        for (int i = 0; i < kSlowClients; ++i) {
            slow.push_back(connected(port()));
            slow.back()->write("GET /roamlog/version.txt HTTP/1.1\r\nX-Slow: ");
        }
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&] { slow.front()->write("a"); });
        trickle.start(500);
        const auto kept = connected(port());
        qint64 fastest = 1 << 30;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer clock;
            clock.start();
            kept->write("GET /roamlog/version.txt HTTP/1.1\r\nHost: x\r\n\r\n");
            QByteArray reply;
            while (!reply.endsWith("\r\n\r\n987") && kept->waitForReadyRead(20000))
                reply += kept->readAll();
            QVERIFY2(reply.startsWith("HTTP/1.1 200"), reply.constData());
            fastest = qMin(fastest, clock.elapsed());
        }
        QVERIFY2(fastest < 100, qPrintable(u"version.txt took %1 ms"_s.arg(fastest)));
        const auto oneTooMany = connected(port());
        QVERIFY(readToEnd(*oneTooMany).startsWith("HTTP/1.1 503"));
        const auto allDropped = [&] {
            return std::all_of(slow.begin(), slow.end(), [](const auto& client) { return client->state() == QAbstractSocket::UnconnectedState; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allDropped(), 15000);
        for (const auto& client : slow)
            QVERIFY(!client->readAll().contains("200 OK"));
    }

    // Header lines that never end are refused once past the limit, and the connection is
    // closed: the server does not keep what a client floods it with.
    void headerFlood()
    {
        const qint64 before = memoryKiB(m_server->processId(), "VmRSS");
        const auto client = connected(port());
        client->write("GET /roamlog/version.txt HTTP/1.1\r\n");
        const QByteArray lines = QByteArray("X-Flood: " + QByteArray(8181, 'a') + "\r\n").repeated(128); // 1 MiB
        constexpr qint64 kFlood = 150 << 20;
        qint64 sent = 0;
        while (sent < kFlood && client->write(lines) > 0 && client->waitForBytesWritten(5000))
            sent += lines.size();
        QVERIFY2(sent < kFlood, "the server took 150 MB of header lines");
        const qint64 grown = memoryKiB(m_server->processId(), "VmHWM") - before;
        QVERIFY2(before > 0 && grown < 50 * 1024, qPrintable(u"the server grew by %1 KiB"_s.arg(grown)));
    }

    // A path cannot add a line of its own to the request log, nor send a terminal its escapes;
    // every line has the form: time, method, path, status, duration.
    void requestLog()
    {
        QCOMPARE(RawHttp::get(port(), "/roamlog/%0A1999-01-01T00:00:00Z%20GET%20/forged%20200%200ms%1B%5B2J").status, 404);
        const QString escaped = u"Z GET /roamlog/\\x0a1999-01-01T00:00:00Z\\x20GET\\x20/forged\\x20200\\x200ms\\x1b[2J 404 "_s;
        QTRY_VERIFY(m_server->log().contains(escaped));
        const QString log = m_server->log();
        QVERIFY(!log.contains(QChar(0x1b)));
        static const QRegularExpression form(u"^20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ [A-Z-]+ \\S+ \\d{3} \\d+ms$"_s);
        int lines = 0;
        for (const QString& text : log.split(u'\n')) {
            QVERIFY2(!text.startsWith(u"1999"_s), qPrintable(text));
            if (text.startsWith(u"20"_s) && ++lines)
                QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
        }
        QVERIFY(lines >= 3);
    }

    // A second server on a port in use says why and ends with status 1; the first goes on.
    void busyPort()
    {
        const auto second = ServerUnderTest::run({u"serve"_s, u"--listen"_s, u"127.0.0.1:%1"_s.arg(port()),
                                                  u"--database"_s, m_dir.filePath(u"second.sqlite"_s)});
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.output.contains(u"cannot listen on 127.0.0.1:%1: Address already in use"_s.arg(port())),
                 qPrintable(second.output));
    }

    // SIGTERM: every request already sent is answered, a kept-alive connection that waits
    // for its next request does not hold the stop, and the server ends with status 0.
    void cleanStop()
    {
        ServerUnderTest stopping;
        QVERIFY(stopping.start(m_dir.filePath(u"stop.sqlite"_s)));
        const auto idle = connected(stopping.port());
        idle->write("GET /roamlog/version.txt HTTP/1.1\r\nHost: x\r\n\r\n");
        QVERIFY(idle->waitForReadyRead(5000));
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 20; ++i) {
            clients.push_back(connected(stopping.port()));
            clients.back()->write("GET " + addRecord("Stop%20" + QByteArray::number(i)) + " HTTP/1.1\r\nHost: x\r\n\r\n");
            QVERIFY(clients.back()->waitForBytesWritten(5000));
        }
        QCOMPARE(stopping.stop(5000), 0);
        for (const auto& client : clients)
            QVERIFY2(RawHttp::parse(readToEnd(*client)).body.startsWith("ok:"), qPrintable(client->errorString()));
    }
};

QTEST_GUILESS_MAIN(ServerHostileTest)
#include "test_server_hostile.moc"
