#include "PostgresInstance.h"
#include "ServerUnderTest.h"
#include "TestFolder.h"
#include "online/RecordSharing.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "server/SharedRecordStore.h"
#include "store/RecordStore.h"

#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The desktop program's own request code against the real roamlog-server, on each engine.
class ServerProtocolTest : public QObject
{
    Q_OBJECT

    TestFolder m_folder;
    std::unique_ptr<PostgresInstance> m_postgres;
    std::unique_ptr<ServerUnderTest> m_server;
    QString m_database;
    // Made anew for each test and dropped before the server stops: an idle keep-alive
    // connection would hold the server's clean stop for its whole keep-alive time.
    std::unique_ptr<TextFetcher> m_fetcher;

    QString script() const { return m_server->baseUrl() + u"cgi-bin/roamlog/roamlogdb.cgi?"_s; }
    QString fetch(const QString& address) { return m_fetcher->FetchText(address).text; }
    QString add(const QString& mac, const QString& alias, const TravelRecord& record)
    {
        return fetch(ServerRequests::addRecordAddress(script(), mac, alias, record.RowToLine()));
    }
    QString post(const QString& mac, const QString& alias, const QString& text)
    {
        return fetch(ServerRequests::forumPostAddress(script(), text, alias, mac, QDateTime({2006, 3, 7}, {9, 5, 7})));
    }
    static TravelRecord record(const QString& place, const QString& mark = u"*"_s)
    {
        TravelRecord r;
        r.setField(RecordColumns::Place, place);
        r.setField(RecordColumns::City, u"Lyon"_s);
        r.setField(RecordColumns::Comments, u"Caf\u00E9 & cr\u00E8me = 100%"_s);
        r.setField(RecordColumns::UploadMark, mark);
        return r;
    }

    // Starts a server for the engine of the current row; false when the test was skipped.
    bool startServer(const QStringList& extra = {})
    {
        QFETCH_GLOBAL(QString, engine);
        if (engine == u"postgresql"_s) {
            m_postgres = std::make_unique<PostgresInstance>();
            if (!m_postgres->start())
                return false;
            m_database = m_postgres->databaseUrl();
        } else {
            m_database = m_folder.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u".sqlite"_s);
        }
        m_server = std::make_unique<ServerUnderTest>();
        return m_server->start(m_database, extra);
    }

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << u"sqlite"_s;
        QTest::newRow("postgresql") << u"postgresql"_s;
    }
    void initTestCase() { QVERIFY2(ServerUnderTest::isBuilt(), "roamlog-server is not built"); }
    void init()
    {
        m_fetcher = std::make_unique<TextFetcher>();
        m_fetcher->setTimeout(10000);
    }
    void cleanup()
    {
        m_fetcher.reset();
        m_server.reset();
        m_postgres.reset();
    }

#define START(...)                                                                                                     \
    do {                                                                                                               \
        if (!startServer(__VA_ARGS__)) {                                                                               \
            if (m_postgres && m_database.isEmpty())                                                                    \
                QSKIP(qPrintable(u"PostgreSQL cannot be started: "_s + m_postgres->skipReason()));                     \
            QFAIL(qPrintable(u"roamlog-server did not start: "_s + (m_server ? m_server->log() : QString())));       \
        }                                                                                                              \
    } while (false)

    // Share marks the records with the identifiers the server drew; a re-send gets the same.
    void sharingGivesIdentifiers()
    {
        m_database.clear();
        START();
        RecordStore store(m_folder.path());
        for (const QString& place : {u"Inn"_s, u"Caf\u00E9 Bleu"_s, u"B&B #1"_s, u"Hostel"_s})
            QVERIFY(store.appendRow(record(place)));
        RecordSharing::Hooks hooks;
        hooks.sendRecord = [&](const QString& line, QObject* request, const RecordSharing::Reply& reply) {
            m_fetcher->fetch(ServerRequests::addRecordAddress(script(), u"4711"_s, u"Bob"_s, line), request, reply);
        };
        QString status;
        hooks.setStatus = [&](const QString& text) { status = text; };
        hooks.status = [&] { return status; };
        hooks.statusWritten = [] {};
        hooks.reportAliasTaken = [] { QFAIL("the alias was reported taken"); };
        hooks.markChanged = [](int) {};
        RecordSharing sharing(store, QDate::currentDate(), hooks);
        QSignalSpy finished(&sharing, &RecordSharing::finished);
        sharing.start();
        QVERIFY(finished.wait());
        QCOMPARE(sharing.outcome().postedCount, 4);
        QSet<QString> identifiers;
        static const QRegularExpression form(u"^[A-Za-z0-9]{16}$"_s);
        for (int row = 0; row < store.rowCount(); ++row) {
            const QString mark = store.row(row).field(RecordColumns::UploadMark);
            QVERIFY2(form.match(mark).hasMatch(), qPrintable(mark));
            identifiers << mark;
        }
        QCOMPARE(identifiers.size(), 4);
        // The reply was lost: the same record goes again, with its old mark or a new one.
        for (const QString& mark : {u"*"_s, u" "_s}) {
            const QString again = add(u"4711"_s, u"Bob"_s, record(u"Inn"_s, mark));
            QCOMPARE(ReplyTokens::identifier(again), store.row(0).field(RecordColumns::UploadMark));
        }
        // Another installation sharing the same values makes a record of its own.
        const QString other = ReplyTokens::identifier(add(u"4712"_s, {}, record(u"Inn"_s)));
        QVERIFY(!other.isEmpty() && !identifiers.contains(other));
        QVERIFY2(m_server->admin({u"stats"_s}).contains(u"records 5\n"_s), qPrintable(m_server->admin({u"stats"_s})));
        const QString csv = m_server->admin({u"export"_s});
        QVERIFY2(csv.startsWith(u"Place,Satisfaction,Type,"_s), qPrintable(csv));
        QVERIFY(csv.contains(u"\"B&B #1\"") || csv.contains(u"B&B #1,"_s));
        QVERIFY(csv.contains(u"Caf\u00E9 Bleu,"_s));
    }

    // An alias belongs to the installation that used it first, whatever the letter case.
    void aliasTaken()
    {
        m_database.clear();
        START();
        QCOMPARE(post(u"1"_s, u"Alice"_s, u"Hello"_s), u"ok"_s);
        QCOMPARE(ReplyTokens::classify(post(u"2"_s, u"aLICE"_s, u"Me too"_s)), ReplyToken::Taken);
        QCOMPARE(ReplyTokens::classify(add(u"2"_s, u"ALICE"_s, record(u"Inn"_s))), ReplyToken::Taken);
        // Anonymous sharing never meets a taken alias; the owner keeps using hers.
        QCOMPARE(ReplyTokens::classify(add(u"2"_s, {}, record(u"Inn"_s))), ReplyToken::Ok);
        QCOMPARE(ReplyTokens::classify(add(u"1"_s, u"alice"_s, record(u"Inn"_s))), ReplyToken::Ok);
        QVERIFY(m_server->admin({u"stats"_s}).contains(u"records 2\nposts 1\n"_s));
    }

    void banned()
    {
        m_database.clear();
        START();
        QCOMPARE(ReplyTokens::classify(add(u"66"_s, u"Eve"_s, record(u"Inn"_s))), ReplyToken::Ok);
        QVERIFY(m_server->admin({u"ban"_s, u"66"_s}).contains(u"banned"_s));
        QCOMPARE(add(u"66"_s, u"Eve"_s, record(u"Other"_s)), u"ban"_s);
        QCOMPARE(post(u"66"_s, u"Eve"_s, u"Hi"_s), u"ban"_s);
        QCOMPARE(ReplyTokens::classify(add(u"67"_s, u"Ann"_s, record(u"Other"_s))), ReplyToken::Ok);
        m_server->admin({u"unban"_s, u"66"_s});
        QCOMPARE(ReplyTokens::classify(add(u"66"_s, u"Eve"_s, record(u"Other"_s))), ReplyToken::Ok);
    }

    // Posts come back exactly as typed, through an escaping client and one that sends as typed.
    void postsStoredExactly()
    {
        m_database.clear();
        START();
        const QString text = u"a&b=c #d 100% 1+1\r\nsecond line &usr=x \u00E9\u20AC"_s;
        QCOMPARE(post(u"9"_s, u"Bob"_s, text), u"ok"_s);
        QCOMPARE(fetch(script() + u"path=post&param=as typed&usr=x&usr=Carl&mac=10&param2=03-07-2006 09:05:07"_s),
                 u"ok"_s);
        SharedRecordStore store(m_database);
        QVERIFY2(store.open(), qPrintable(store.error()));
        const auto posts = store.posts(0);
        QCOMPARE(posts.rows.size(), 2);
        QCOMPARE(posts.rows[0].text, u"as typed&usr=x"_s); // newest first
        QCOMPARE(posts.rows[0].alias, u"Carl"_s);
        QCOMPARE(posts.rows[1].text, text);
        QCOMPARE(posts.rows[1].alias, u"Bob"_s);
        QCOMPARE(posts.rows[1].stamp, u"03-07-2006 09:05:07"_s);
        const QString forum = fetch(ServerRequests::showPostsAddress(script()));
        QVERIFY(forum.contains(u"a&amp;b=c #d 100% 1+1"_s));
    }

    // Refusals carry no token and an error status, so the program keeps the record offered.
    void refusalsCarryNoToken_data()
    {
        QTest::addColumn<QString>("query");
        QTest::newRow("23 values") << u"mac=1&usr=&cmd=add&param="_s + QString(23, u'|');
        QTest::newRow("25 values") << u"mac=1&usr=&cmd=add&param="_s + QString(25, u'|');
        QTest::newRow("no installation") << u"mac=&usr=&cmd=add&param="_s + QString(24, u'|');
        QTest::newRow("empty alias post") << u"path=post&param=hi&usr=&mac=1&param2=x"_s;
        QTest::newRow("post too long") << u"path=post&param="_s + QString(2001, u'a') + u"&usr=a&mac=1&param2=x"_s;
        QTest::newRow("unknown") << u"cmd=drop"_s;
    }
    void refusalsCarryNoToken()
    {
        QFETCH(QString, query);
        if (!m_server) {
            m_database.clear();
            START();
        }
        const FetchResult result = m_fetcher->FetchText(script() + query);
        // The program sees an error status as a failed request, or its body: never a token.
        QVERIFY2(result.failed || result.text.startsWith(u"error: "_s), qPrintable(result.text));
        QVERIFY2(!result.failed || result.reason.contains(u"Bad Request"_s), qPrintable(result.reason));
        QCOMPARE(ReplyTokens::classify(result.text), ReplyToken::None);
    }

    void limitsPerHour()
    {
        m_database.clear();
        START({u"--records-per-hour"_s, u"2"_s, u"--posts-per-hour"_s, u"1"_s});
        QVERIFY(add(u"5"_s, {}, record(u"One"_s)).startsWith(u"ok:"_s));
        QVERIFY(add(u"5"_s, {}, record(u"Two"_s)).startsWith(u"ok:"_s));
        QVERIFY(add(u"5"_s, {}, record(u"Three"_s)).startsWith(u"error: too many"_s));
        QVERIFY(add(u"5"_s, {}, record(u"One"_s)).startsWith(u"ok:"_s)); // a re-send still answers
        QCOMPARE(post(u"5"_s, u"Zed"_s, u"first"_s), u"ok"_s);
        QVERIFY(post(u"5"_s, u"Zed"_s, u"second"_s).startsWith(u"error: too many"_s));
        QVERIFY(add(u"6"_s, {}, record(u"Three"_s)).startsWith(u"ok:"_s));
    }

    void versionFile()
    {
        m_database.clear();
        START({u"--current-version"_s, u"101"_s});
        const FetchResult reply = m_fetcher->FetchText(ServerRequests::versionAddress(m_server->baseUrl()));
        QCOMPARE(reply.text, u"101"_s);
        QCOMPARE(VersionCheck::resultText(reply), u"There is a new version"_s);
    }

    void removeCommands()
    {
        m_database.clear();
        START();
        const QString id = ReplyTokens::identifier(add(u"7"_s, {}, record(u"Gone"_s)));
        QVERIFY(m_server->admin({u"remove-record"_s, id}).contains(u"removed"_s));
        QVERIFY(!m_server->admin({u"remove-record"_s, id}).contains(u"removed"_s)); // nothing left to remove
        QVERIFY(m_server->admin({u"stats"_s}).contains(u"records 0\n"_s));
        QVERIFY(!fetch(m_server->baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=find"_s).contains(u"Gone"_s));
    }
};

QTEST_GUILESS_MAIN(ServerProtocolTest)
#include "test_server_protocol.moc"
