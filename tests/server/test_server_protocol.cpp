#include "RawHttp.h"
#include "ServerUnderTest.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/TextFetcher.h"
#include "server/SharedRecordStore.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kScript = "/cgi-bin/roamlog/roamlogdb.cgi?";
const QByteArray kAdd = kScript + "mac=9001&usr=&cmd=add&param=";
constexpr int kSlowClients = 500;

// count values each followed by "|", escaped as the program sends them; the place as given.
QByteArray line(int count, const QByteArray& encodedPlace = "Hotel%20Sole")
{
    QByteArray rest;
    for (int i = 1; i < count; ++i)
        rest += (i == 23 ? QByteArray("*") : "v" + QByteArray::number(i)) + '|';
    return encodedPlace + "%7C" + rest.toPercentEncoding();
}

QByteArray addRecord(const QByteArray& encodedPlace) { return kAdd + line(24, encodedPlace); }

QByteArray forumPost(const QByteArray& text, const QByteArray& alias = "Mallory")
{
    return kScript + "path=post&param=" + text + "&usr=" + alias + "&mac=9002&param2=05-14-2026%2009:05:07";
}

std::unique_ptr<QTcpSocket> connected(quint16 port, const QByteArray& sent = {})
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(u"127.0.0.1"_s, port);
    if (socket->waitForConnected(5000) && socket->write(sent) > 0)
        socket->waitForBytesWritten(5000);
    return socket;
}

qint64 memoryKiB(qint64 pid, const QString& name) // VmRSS now or VmHWM the most so far, in KiB
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    const QString text = status.open(QIODevice::ReadOnly) ? QString::fromLatin1(status.readAll()) : QString();
    return QRegularExpression(name + u":\\s*(\\d+)"_s).match(text).captured(1).toLongLong();
}

bool dropTable(const QString& file, const QString& table) // on a connection of its own for each file
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, file);
    db.setDatabaseName(file);
    return db.open() && QSqlQuery(db).exec(u"DROP TABLE "_s + table);
}

} // namespace

// The real roamlog-server as the desktop program's request code meets it, and as clients that
// misbehave do: they get a calm refusal, the server answers others, and nothing broken is
// stored. Each test uses installations of its own.
class ServerProtocolTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PostgresInstance m_postgres; // outlives the servers that use it
    ServerUnderTest m_server;
    QString m_database;
    TextFetcher m_fetcher;

    QString script() const { return m_server.baseUrl() + u"cgi-bin/roamlog/roamlogdb.cgi?"_s; }
    QString addAddress(const QString& mac, const QString& alias, const QString& place, const QString& mark = u"*"_s) const
    {
        TravelRecord r;
        r.setField(RecordColumns::Place, place);
        r.setField(RecordColumns::Comments, u"Caf\u00E9 & cr\u00E8me = 100%"_s);
        r.setField(RecordColumns::UploadMark, mark);
        return ServerRequests::addRecordAddress(script(), mac, alias, r.RowToLine());
    }
    QString fetch(const QString& address) { return m_fetcher.FetchText(address).text; }
    QString add(const QString& mac, const QString& alias, const QString& place, const QString& mark = u"*"_s)
    {
        return fetch(addAddress(mac, alias, place, mark));
    }
    QString post(const QString& mac, const QString& alias, const QString& text)
    {
        return fetch(ServerRequests::forumPostAddress(script(), text, alias, mac, QDateTime({2006, 3, 7}, {9, 5, 7})));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(ServerUnderTest::isBuilt(), "roamlog-server is not built");
        const auto database = ServerUnderTest::testDatabase(m_dir.filePath(u"protocol.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        m_database = *database;
        // Every test keeps within 3 records and 2 posts an hour per installation.
        QVERIFY2(m_server.start(m_database, {u"--connections-per-address"_s, QString::number(kSlowClients + 1),
                                             u"--request-timeout"_s, u"3"_s, u"--current-version"_s, u"987"_s,
                                             u"--records-per-hour"_s, u"3"_s, u"--posts-per-hour"_s, u"2"_s,
                                             u"--public-url"_s, u"https://roamlog.example/log"_s}),
                 qPrintable(m_server.log()));
    }

    void cleanup() { QCOMPARE(RawHttp::get(m_server.port(), "/roamlog/version.txt").body, "987"_ba); } // still answering

    // A record sent again (its reply lost) gets the identifier it got, whatever its mark.
    void resendGetsItsIdentifier()
    {
        const QString id = ReplyTokens::identifier(add(u"4711"_s, u"Bob"_s, u"Caf\u00E9 B&B #1"_s));
        QVERIFY(!id.isEmpty());
        for (const QString& mark : {u"*"_s, u" "_s})
            QCOMPARE(ReplyTokens::identifier(add(u"4711"_s, u"Bob"_s, u"Caf\u00E9 B&B #1"_s, mark)), id);
    }

    // The longest record the program stores, every character escaped, is shared whole.
    void longRecordShared()
    {
        const QString comments(16000, u'\u00E9');
        TravelRecord longest;
        longest.setField(RecordColumns::Place, u"Long"_s);
        longest.setField(RecordColumns::Comments, comments);
        const QString id = ReplyTokens::identifier(fetch(ServerRequests::addRecordAddress(script(), u"8"_s, {}, longest.RowToLine())));
        QVERIFY(QString::fromUtf8(RawHttp::get(m_server.port(), kScript + "cmd=show&id=" + id.toLatin1()).body).contains(comments));
    }

    // An alias belongs to the installation that used it first, whatever the letter case, and
    // anonymous sharing never meets it; a banned installation gets "ban" until it is unbanned.
    void aliasesAndBans()
    {
        QCOMPARE(post(u"1"_s, u"Alice"_s, u"Hello"_s), u"ok"_s);
        QCOMPARE(post(u"2"_s, u"aLICE"_s, u"Me too"_s), u"tkn"_s);
        QCOMPARE(add(u"2"_s, u"ALICE"_s, u"Inn"_s), u"tkn"_s);
        QCOMPARE(ReplyTokens::classify(add(u"2"_s, {}, u"Inn"_s)), ReplyToken::Ok);
        QCOMPARE(ReplyTokens::classify(add(u"1"_s, u"alice"_s, u"Inn"_s)), ReplyToken::Ok);
        QVERIFY(m_server.admin({u"ban"_s, u"2"_s}).contains(u"installation 2 banned"_s));
        QCOMPARE(add(u"2"_s, {}, u"Other"_s), u"ban"_s);
        QCOMPARE(post(u"2"_s, u"Eve"_s, u"Hi"_s), u"ban"_s);
        m_server.admin({u"unban"_s, u"2"_s});
        QCOMPARE(ReplyTokens::classify(add(u"2"_s, {}, u"Other"_s)), ReplyToken::Ok);
    }

    // Posts come back exactly as typed, through an escaping client and one that sends as typed.
    void postsStoredExactly()
    {
        const QString text = u"a&b=c #d 100% 1+1\r\nsecond line &usr=x \u00E9\u20AC"_s;
        QCOMPARE(post(u"9"_s, u"Bert"_s, text), u"ok"_s);
        QCOMPARE(fetch(script() + u"path=post&param=as typed&usr=x&usr=Carl&mac=10&param2=03-07-2006 09:05:07"_s), u"ok"_s);
        SharedRecordStore store(m_database);
        QVERIFY2(store.open(), qPrintable(store.error()));
        const auto posts = store.posts(0).rows;
        QVERIFY(posts.size() >= 2);
        QCOMPARE(posts[0].text + u'|' + posts[0].alias, u"as typed&usr=x|Carl"_s); // newest first
        QCOMPARE(posts[1].text + u'|' + posts[1].alias + u'|' + posts[1].stamp, text + u"|Bert|03-07-2006 09:05:07"_s);
    }

    // Past the hourly limits: 429 and a text without token, so that the program keeps the record
    // offered; a re-send still answers, another installation is not held.
    void limitsPerHour()
    {
        for (const QString& place : {u"One"_s, u"Two"_s, u"Three"_s})
            QVERIFY(add(u"5"_s, {}, place).startsWith(u"ok:"_s));
        QCOMPARE(RawHttp::get(m_server.port(), kScript + "mac=5&usr=&cmd=add&param=" + line(24, "Five")).status, 429);
        QVERIFY(add(u"5"_s, {}, u"One"_s).startsWith(u"ok:"_s));
        QVERIFY(post(u"5"_s, u"Zed"_s, u"first"_s) == u"ok"_s && post(u"5"_s, u"Zed"_s, u"second"_s) == u"ok"_s);
        QVERIFY(post(u"5"_s, u"Zed"_s, u"third"_s).startsWith(u"error: too many"_s));
        QVERIFY(add(u"6"_s, {}, u"Four"_s).startsWith(u"ok:"_s));
    }

    // The product page gives the program the public address it was told.
    void publicAddress() { QVERIFY(fetch(m_server.baseUrl() + u"roamlog/"_s).contains(u"=https://roamlog.example/log/ "_s)); }

    void removeCommands()
    {
        const QString id = ReplyTokens::identifier(add(u"7"_s, {}, u"Gone"_s));
        QVERIFY(m_server.admin({u"remove-record"_s, id}).contains(u"record %1 removed"_s.arg(id)));
        QVERIFY(!fetch(m_server.baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=find&q=gone"_s).contains(u"Gone"_s));
        QCOMPARE(post(u"7"_s, u"Gone"_s, u"Unwanted words"_s), u"ok"_s);
        const QString postId = QRegularExpression(u"id=\"p-([^\"]+)\""_s).match(fetch(ServerRequests::showPostsAddress(script()))).captured(1);
        QVERIFY(m_server.admin({u"remove-post"_s, postId}).contains(u"post %1 removed"_s.arg(postId)));
        QVERIFY(!fetch(ServerRequests::showPostsAddress(script())).contains(u"Unwanted"_s));
        // What is gone already is not removed again.
        QVERIFY(m_server.admin({u"remove-post"_s, postId}).contains(u"there is no post %1"_s.arg(postId)));
        QVERIFY(!m_server.admin({u"remove-record"_s, id}).contains(u"removed"_s));
    }

    // The operator's commands need an existing database and say why they fail; none makes a file.
    void adminRefusals_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("stats without --database") << u"stats"_s << 2 << u"stats needs --database"_s;
        QTest::newRow("no such file") << u"stats --database none.sqlite"_s << 1 << u"there is no database none.sqlite"_s;
        QTest::newRow("a table gone") << u"ban 1 --database broken.sqlite"_s << 1 << u"no such table: installations"_s;
    }
    void adminRefusals()
    {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        const QTemporaryDir folder;
        const QString broken = folder.filePath(u"broken.sqlite"_s);
        QVERIFY(SharedRecordStore(broken).open() && dropTable(broken, u"installations"_s));
        const auto run = ServerUnderTest::run(arguments.split(u' '), folder.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.output.contains(u"roamlog-server: "_s + reason), qPrintable(run.output));
        QCOMPARE(QDir(folder.path()).entryList({u"*.sqlite"_s}, QDir::Files), QStringList{u"broken.sqlite"_s});
    }

    // A page the database cannot read is answered 503, so that clients and caches try again.
    void unreadablePage()
    {
        const QString file = m_dir.filePath(u"unreadable.sqlite"_s);
        ServerUnderTest server;
        QVERIFY(server.start(file) && dropTable(file, u"posts"_s));
        QCOMPARE(RawHttp::get(server.port(), "/cgi-bin/roamlogdb.cgi?cmd=msgs").status, 503);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status"); // 0: any 4xx
        const auto row = [](const char* name, const QByteArray& target, int status = 0, const QByteArray& method = "GET") {
            QTest::newRow(name) << method << target << status;
        };
        row("add without param", kScript + "mac=9001&usr=&cmd=add");
        row("add without mac", kScript + "usr=&cmd=add&param=" + line(24));
        row("add without cmd", kScript + "mac=9001&usr=&param=" + line(24));
        row("param twice", kAdd + line(24) + "&param=" + line(24));
        row("23 fields", kAdd + line(23), 400);
        row("25 fields", kAdd + line(25), 400);
        row("escape %zz", addRecord("Bad%zzPlace"), 400);
        row("escape %4 at end", kAdd + line(24) + "%4");
        row("byte 81", addRecord("Bad%81"));
        row("NUL in record", addRecord("Bad%00Place"));
        row("line break in record", addRecord("Bad%0D%0APlace"));
        row("post without mac", kScript + "path=post&param=Hi&usr=Mallory&param2=x");
        row("post with empty alias", forumPost("Hi", ""));
        row("NUL in post", forumPost("Hi%00there"));
        row("escape %zz in post", forumPost("Hi%zz"));
        row("post of 2001 characters", forumPost(QByteArray(2001, 'a')));
        row("post of 2000 with a line break", forumPost(QByteArray(1000, 'a') + "%0D%0A" + QByteArray(999, 'a')));
        row("alias of 65 characters", forumPost("Hi", QByteArray(65, 'a')));
        // Only GET stores; the HTTP layer's own limits come before the script.
        row("HEAD add", addRecord("Head"), 405, "HEAD");
        row("POST post", forumPost("Posted"), 405, "POST");
        row("DELETE page", kScript + "cmd=find", 405, "DELETE");
        row("no such address", "/cgi-bin/other.cgi", 404);
        row("target of 64 KiB reaches the script", kAdd + QByteArray(65536 - kAdd.size(), 'a'), 400);
        row("target beyond 64 KiB", kAdd + QByteArray(65537 - kAdd.size(), 'a'), 414);
        row("target of 1 MB", addRecord(QByteArray(1 << 20, 'a')), 414);
    }
    void refused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        QFETCH(int, status);
        const QString before = m_server.admin({u"stats"_s});
        const RawHttp::Answer answer = RawHttp::request(m_server.port(), method, target);
        QVERIFY2(status ? answer.status == status : answer.status >= 400 && answer.status < 500,
                 qPrintable(u"status %1 %2"_s.arg(answer.status).arg(answer.error)));
        QVERIFY2(!QRegularExpression(u"^(ok|tkn|ban)"_s).match(QString::fromLatin1(answer.body)).hasMatch(), answer.body.left(200));
        QCOMPARE(m_server.admin({u"stats"_s}), before);
    }

    // Slow clients hold a socket each and no thread: a kept-alive client is answered at once
    // meanwhile, one connection more from their address is turned away, and every request not
    // whole 3 s after its first byte is dropped unanswered, even one that trickles in.
    void slowClients()
    {
        std::vector<std::unique_ptr<QTcpSocket>> slow;
        for (int i = 0; i < kSlowClients; ++i)
            slow.push_back(connected(m_server.port(), "GET /roamlog/version.txt HTTP/1.1\r\nX-Slow: "));
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&] { slow.front()->write("a"); });
        trickle.start(200);
        const auto kept = connected(m_server.port());
        qint64 fastest = 1 << 30;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer clock;
            clock.start();
            kept->write("GET /roamlog/version.txt HTTP/1.1\r\nHost: x\r\n\r\n");
            for (QByteArray reply; !reply.endsWith("\r\n\r\n987") && kept->waitForReadyRead(20000);)
                reply += kept->readAll();
            fastest = qMin(fastest, clock.elapsed());
        }
        QVERIFY2(fastest < 100, qPrintable(u"version.txt took %1 ms"_s.arg(fastest)));
        QCOMPARE(RawHttp::get(m_server.port(), "/roamlog/version.txt").status, 503);
        const auto dropped = [](const auto& client) { return client->state() == QAbstractSocket::UnconnectedState; };
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(slow.begin(), slow.end(), dropped), 10000);
        for (const auto& client : slow)
            QVERIFY(!client->readAll().contains("200 OK"));
    }

    // Header lines over 32 KiB get 431; lines without end are cut off, the server does not keep
    // what a client floods it with.
    void headerLines()
    {
        QCOMPARE(RawHttp::request(m_server.port(), "GET", "/", "X-Big: " + QByteArray(33 << 10, 'a') + "\r\n").status, 431);
        const qint64 before = memoryKiB(m_server.processId(), u"VmRSS"_s);
        const auto client = connected(m_server.port(), "GET /roamlog/version.txt HTTP/1.1\r\n");
        const QByteArray lines = QByteArray("X-Flood: " + QByteArray(8181, 'a') + "\r\n").repeated(128); // 1 MiB
        constexpr qint64 kFlood = 150 << 20;
        qint64 sent = 0;
        while (sent < kFlood && client->write(lines) > 0 && client->waitForBytesWritten(5000))
            sent += lines.size();
        QVERIFY2(sent < kFlood, "the server took 150 MB of header lines");
        const qint64 grown = memoryKiB(m_server.processId(), u"VmHWM"_s) - before;
        QVERIFY2(before > 0 && grown < 50 * 1024, qPrintable(u"the server grew by %1 KiB"_s.arg(grown)));
    }

    // No path adds a log line of its own or sends a terminal escape; every line is "time method
    // path status duration".
    void requestLog()
    {
        QCOMPARE(RawHttp::get(m_server.port(), "/roamlog/%0A1999-01-01T00:00:00Z%20GET%20/forged%20200%200ms%1B%5B2J").status, 404);
        QTRY_VERIFY(m_server.log().contains(u"Z GET /roamlog/\\x0a1999-01-01T00:00:00Z\\x20GET\\x20/forged\\x20200\\x200ms\\x1b[2J 404 "_s));
        static const QRegularExpression form(u"^20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ [A-Z-]+ \\S+ \\d{3} \\d+ms$"_s);
        int lines = 0;
        for (const QString& text : m_server.log().split(u'\n')) {
            QVERIFY2(!text.startsWith(u"1999"_s) && !text.contains(QChar(0x1b)), qPrintable(text));
            if (text.startsWith(u"20"_s) && ++lines)
                QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
        }
        QVERIFY(lines >= 3);
    }

    // A second server on a port in use says why and ends with status 1; the first goes on.
    void busyPort()
    {
        const auto second = ServerUnderTest::run({u"serve"_s, u"--listen"_s, u"127.0.0.1:%1"_s.arg(m_server.port()),
                                                  u"--database"_s, m_dir.filePath(u"second.sqlite"_s)});
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.output.contains(u":%1: Address already in use"_s.arg(m_server.port())), qPrintable(second.output));
    }

    // SIGTERM: a request being received is still answered, an idle kept-alive connection does
    // not hold the stop, and the server ends with status 0.
    void cleanStop()
    {
        ServerUnderTest stopping;
        QVERIFY(stopping.start(m_dir.filePath(u"stop.sqlite"_s)));
        const auto idle = connected(stopping.port(), "GET /roamlog/version.txt HTTP/1.1\r\n\r\n");
        QVERIFY(idle->waitForReadyRead(5000));
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 20; ++i)
            clients.push_back(connected(stopping.port(), "GET " + addRecord("Stop" + QByteArray::number(i)) + " HTTP/1.1\r\n"));
        ::kill(pid_t(stopping.processId()), SIGTERM);
        QTRY_VERIFY(stopping.log().contains(u"stopping"_s));
        for (const auto& client : clients) // the requests end after the stop began
            client->write("\r\n"), client->flush();
        QCOMPARE(stopping.stop(5000), 0);
        for (const auto& client : clients) // the server has ended: all it sent is there
            QVERIFY2(RawHttp::parse((client->waitForReadyRead(5000), client->readAll())).body.startsWith("ok:"),
                     qPrintable(client->errorString()));
    }
};

QTEST_GUILESS_MAIN(ServerProtocolTest)
#include "test_server_protocol.moc"
