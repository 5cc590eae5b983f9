#include "HeadlessBrowser.h"
#include "RawHttp.h"
#include "RenderedPage.h"
#include "ServerUnderTest.h"
#include "server/SharedRecordStore.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Values that would become markup, script or a broken attribute if a page showed them raw.
const QString kScript = u"<script>alert(1)</script>"_s;
const QString kImage = u"<img src=x onerror=alert(1)>"_s;
const QString kQuotes = u"Say \"hi\" & 'bye' \" onmouseover=\"alert(1)"_s;
const QString kInjectedTag = u"<roamlog-injected>tag</roamlog-injected>"_s;
const QString kAccent = u"Café Crème"_s;
const QString kAlias = u"Zoé <b>\"&amp;\"</b>"_s;
const QString kStamp = u"\"><roamlog-injected>05-14-2026"_s; // the date a client sent with its post
const QString kSearched = u"zanzibarian "_s + kQuotes;         // shown again in the search form
constexpr int kPagedRecords = 55;                             // a page and 5

QSet<QString> pagedPlacesIn(const RenderedPage& page)
{
    QSet<QString> found;
    for (auto it = QRegularExpression(u"Pager \\d{3}"_s).globalMatch(page.visibleText()); it.hasNext();)
        found.insert(it.next().captured(0));
    return found;
}

} // namespace

// The server's pages as a browser builds them from values that look like markup: every value
// shows as the text it is, none turns into an element, and script and other hosts are forbidden.
class ServerPagesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PostgresInstance m_postgres; // outlives the server that uses it
    ServerUnderTest m_server;
    HeadlessBrowser m_browser;
    QString m_hostileId;
    QString m_mappedId; // a record of the hostile spelling of France

    RenderedPage render(const QString& path) { return RenderedPage(m_browser.dumpDom(QUrl(m_server.baseUrl() + path))); }
    QStringList links(const RenderedPage& page, const QString& path, const QString& rel = {}) const
    {
        QStringList found;
        for (const auto& link : page.elements(u"a"_s))
            if (rel.isEmpty() || link.attributes.value(u"rel"_s) == rel)
                found << QUrl(m_server.baseUrl() + path).resolved(QUrl(link.attributes.value(u"href"_s))).toString(QUrl::FullyEncoded);
        return found;
    }

private slots:
    void initTestCase()
    {
        if (!ServerUnderTest::isBuilt())
            QSKIP("roamlog-server is not built");
        const auto database = ServerUnderTest::testDatabase(m_dir.filePath(u"pages.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        // The values go in through the storage, as shares and posts would store them.
        SharedRecordStore store(*database);
        QVERIFY2(store.open(), qPrintable(store.error()));
        const auto share = [&](const QString& alias, const QMap<int, QString>& fields) {
            TravelRecord record;
            for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                record.setField(it.key(), it.value());
            return store.shareRecord(u"4711"_s, alias, record, 1778749507).identifier;
        };
        m_hostileId = share(kAlias, {{RecordColumns::Place, kScript}, {RecordColumns::City, kImage},
                                     {RecordColumns::Comments, u"zanzibarian "_s + kQuotes + u' ' + kInjectedTag},
                                     {RecordColumns::Country, u"France"_s}, {RecordColumns::Type, kAccent},
                                     {RecordColumns::DateVisited, u"05-14-2026"_s}});
        int mapped = 0; // for the map, with the hostile spelling of France shared most
        for (const QString& country : {u"Ivory Coast"_s, u"<France>'\""_s, u"<France>'\""_s})
            m_mappedId = share(kAlias, {{RecordColumns::Place, u"Mapped %1"_s.arg(++mapped)}, {RecordColumns::Country, country}});
        for (int n = 1; n <= kPagedRecords; ++n)
            share({}, {{RecordColumns::Place, u"Pager %1"_s.arg(n, 3, 10, QLatin1Char('0'))},
                       {RecordColumns::Comments, u"paginationword"_s}});
        const std::pair<QString, QString> posts[] = {{kScript + u' ' + kImage, u"05-14-2026 09:05:07"_s},
                                                     {kQuotes + u' ' + kInjectedTag, kStamp},
                                                     {u"First line é\r\nSecond <i>line</i> & more"_s, u"05-14-2026 09:05:09"_s}};
        for (int i = 0; i < 3; ++i) // a second apart, so that the newest is known
            QVERIFY(store.postToForum(u"4711"_s, kAlias, posts[i].first, posts[i].second, 1778749507 + i).status == WriteOutcome::Status::Stored);
        QVERIFY2(m_server.start(*database), qPrintable(m_server.log()));
    }

    // The product page gives the program the address the visitor asked for, never the one the
    // server listens on.
    void productPage()
    {
        const QByteArray body = RawHttp::request(m_server.port(), "GET", "/roamlog/", "Host: roamlog.example:8080\r\n").body;
        QVERIFY2(body.contains("ROAMLOG_SERVER_URL=http://roamlog.example:8080/ ") && !body.contains("127.0.0.1"), body);
    }

    // Each page shows every value as the text it is (in the order given, for the forum's
    // newest-first posts), and no element, attribute or handler of it came from a value.
    void pages_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("inOrder");
        const QStringList record = {kScript, kImage, kQuotes, kInjectedTag, kAccent, kAlias, u"France"_s, u"05-14-2026"_s};
        const QStringList posts = {kAlias, u"First line é Second <i>line</i> & more"_s, kStamp, kQuotes + u' ' + kInjectedTag,
                                   kScript + u' ' + kImage};
        QTest::newRow("search") << u"cgi-bin/roamlogdb.cgi?cmd=find&q="_s + QString::fromLatin1(QUrl::toPercentEncoding(kSearched))
                                << record.mid(0, 7) << false;
        QTest::newRow("record") << u"cgi-bin/roamlogdb.cgi?cmd=show&id="_s + m_hostileId << record << false;
        QTest::newRow("forum") << u"cgi-bin/roamlogdb.cgi?cmd=msgs"_s << posts << true;
        QTest::newRow("map") << u"cgi-bin/roamlogdb.cgi?cmd=find"_s << QStringList{u"Mapped"_s} << false;
    }
    void pages()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, shown);
        QFETCH(bool, inOrder);
        // Every page is UTF-8 HTML under a policy that denies all but our own sources.
        const RawHttp::Answer answer = RawHttp::get(m_server.port(), '/' + path.toLatin1());
        const QByteArray policy = answer.header("content-security-policy");
        QVERIFY2(answer.header("content-type").contains("charset=utf-8") && policy.startsWith("default-src 'none';"), policy);
        for (const QByteArray& directive : policy.split(';'))
            for (const QByteArray& source : directive.simplified().split(' ').mid(1))
                QVERIFY2(source == "'self'" || source == "'none'", directive);
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const RenderedPage page = render(path);
        const QString text = page.visibleText();
        for (qsizetype i = 0, at = 0; i < shown.size(); ++i) {
            at = text.indexOf(shown[i], inOrder ? at : 0);
            QVERIFY2(at >= 0, qPrintable(u"missing %1 in: %2"_s.arg(shown[i], text)));
        }
        QVERIFY2(page.eventHandlers().isEmpty(), qPrintable(page.eventHandlers().join(u", "_s)));
        QVERIFY(page.elements(u"script"_s).isEmpty() && page.elements(u"roamlog-injected"_s).isEmpty());
        for (const auto& image : page.elements(u"img"_s))
            QVERIFY2(image.attributes.value(u"src"_s) != u"x"_s, "an <img src=x> came from a value");
        if (path.endsWith(u"cmd=find"_s)) { // the map: a country links to the find page of its spelling
            const QString france = links(page, path).filter(u"country=%3CFrance"_s).value(0);
            QVERIFY(render(france.mid(m_server.baseUrl().size())).visibleText().contains(u"Mapped"_s));
        }
        if (!path.contains(u"&q="_s))
            return;
        // The search form shows the words searched for; the record links to its own page.
        QStringList searched;
        for (const auto& input : page.elements(u"input"_s))
            if (input.attributes.value(u"name"_s) == u"q"_s)
                searched << input.attributes.value(u"value"_s);
        QCOMPARE(searched, QStringList{kSearched});
        QVERIFY(links(page, path).contains(m_server.baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=show&id="_s + m_hostileId));
    }

    // 55 matching records: the page that the first links to as the next (rel="next") shows
    // the ones the first does not.
    void secondPageFollowsFirst()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const QString first = u"cgi-bin/roamlogdb.cgi?cmd=find&q=paginationword"_s;
        const RenderedPage firstPage = render(first);
        const QUrl next(links(firstPage, first, u"next"_s).value(0));
        QVERIFY2(next.query().contains(u"q=paginationword"_s), "the next page forgets the search");
        const QSet<QString> onSecond = pagedPlacesIn(render(next.toString().mid(m_server.baseUrl().size())));
        QCOMPARE(pagedPlacesIn(firstPage).size() + onSecond.size(), kPagedRecords);
        QVERIFY2(!pagedPlacesIn(firstPage).intersects(onSecond), "a record shows on both pages");
    }

    // The map names each country (escaped) with its records, and follows a removal.
    void mapCountsTheSharedRecords()
    {
        const auto find = [&] { return QString::fromUtf8(RawHttp::get(m_server.port(), "/cgi-bin/roamlogdb.cgi?cmd=find").body); };
        for (const QString& title : {u"<title>France: 3 records</title>"_s, u"<title>C\u00f4te d&#39;Ivoire: 1 record</title>"_s})
            QVERIFY2(find().contains(title), qPrintable(title));
        m_server.admin({u"remove-record"_s, m_mappedId});
        QVERIFY(find().contains(u"<title>France: 2 records</title>"_s));
    }
};

QTEST_GUILESS_MAIN(ServerPagesTest)
#include "test_server_pages.moc"
