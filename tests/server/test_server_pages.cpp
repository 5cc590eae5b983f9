#include "HeadlessBrowser.h"
#include "PostgresInstance.h"
#include "RawHttp.h"
#include "ServerUnderTest.h"
#include "RenderedPage.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/TextFetcher.h"
#include "store/TravelRecord.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Values that would become markup, script or a broken attribute if a page showed them raw.
const QString kScript = u"<script>alert(1)</script>"_s;
const QString kImage = u"<img src=x onerror=alert(1)>"_s;
const QString kQuotes = u"Say \"hi\" & 'bye' \" onmouseover=\"alert(1)"_s;
const QString kInjectedTag = u"<roamlog-injected>tag</roamlog-injected>"_s;
const QString kAccent = u"Café Crème"_s;
const QString kAlias = u"Zoé <b>\"&amp;\"</b>"_s;
const QString kPostLines = u"First line é\r\nSecond <i>line</i> & more"_s;
constexpr int kPageSize = 50;
constexpr int kPagedRecords = 55;

QString pagedPlace(int n)
{
    return u"Pager %1"_s.arg(n, 3, 10, QLatin1Char('0'));
}

} // namespace

// The server's pages as a browser builds them from a database holding values that look like
// markup: every value shows as the text it is, none turns into an element, and the pages
// come with a policy that forbids inline script and foreign sources.
class ServerPagesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PostgresInstance m_postgres; // outlives the server that uses it
    std::unique_ptr<ServerUnderTest> m_server;
    HeadlessBrowser m_browser;
    TextFetcher m_fetcher;
    QString m_hostileId;

    QString scriptUrl() const { return m_server->baseUrl() + u"cgi-bin/roamlog/roamlogdb.cgi?"_s; }

    // Shares a record as the desktop program does and returns the identifier it got.
    QString share(const QString& installation, const QString& alias, const QMap<int, QString>& fields)
    {
        TravelRecord record;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            if (const auto problem = record.setField(it.key(), it.value()))
                qFatal("unusable test value: %s", qPrintable(problem->reason));
        }
        record.setField(RecordColumns::UploadMark, u"*"_s);
        const FetchResult reply =
            m_fetcher.FetchText(ServerRequests::addRecordAddress(scriptUrl(), installation, alias, record.RowToLine()));
        if (ReplyTokens::classify(reply.text) != ReplyToken::Ok)
            return {};
        return ReplyTokens::identifier(reply.text);
    }

    bool post(const QString& installation, const QString& alias, const QString& text)
    {
        const QDateTime when(QDate(2026, 5, 14), QTime(9, 5, 7));
        const FetchResult reply =
            m_fetcher.FetchText(ServerRequests::forumPostAddress(scriptUrl(), text, alias, installation, when));
        return ReplyTokens::classify(reply.text) == ReplyToken::Ok;
    }

    RenderedPage render(const QString& address)
    {
        QString error;
        const auto dom = m_browser.dumpDom(QUrl(address), &error);
        if (!dom)
            qWarning("%s", qPrintable(error));
        return RenderedPage(dom.value_or(QString()));
    }

    QString findAddress(const QString& query) const
    {
        return m_server->baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=find&q="_s + QString::fromLatin1(QUrl::toPercentEncoding(query));
    }

    // No element, attribute or handler of the page came from a stored value.
    static void verifyNothingInjected(const RenderedPage& page)
    {
        QVERIFY2(page.eventHandlers().isEmpty(), qPrintable(page.eventHandlers().join(u", "_s)));
        QVERIFY(page.elements(u"script"_s).isEmpty());
        QVERIFY(page.elements(u"roamlog-injected"_s).isEmpty());
        for (const auto& image : page.elements(u"img"_s))
            QVERIFY2(image.attributes.value(u"src"_s) != u"x"_s, "an <img src=x> came from a stored value");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!ServerUnderTest::isBuilt())
            QSKIP("roamlog-server is not built");
        const auto database = ServerUnderTest::testDatabase(m_dir.filePath(u"pages.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        m_server = std::make_unique<ServerUnderTest>();
        QVERIFY2(m_server->start(*database), qPrintable(m_server->log()));
        m_fetcher.setTimeout(10000);

        m_hostileId = share(u"4711"_s, kAlias,
                            {{RecordColumns::Place, kScript}, {RecordColumns::City, kImage},
                             {RecordColumns::Comments, u"zanzibarian "_s + kQuotes + u' ' + kInjectedTag},
                             {RecordColumns::Country, u"France"_s}, {RecordColumns::Type, kAccent},
                             {RecordColumns::DateVisited, u"05-14-2026"_s}});
        QVERIFY(!m_hostileId.isEmpty());
        for (int n = 1; n <= kPagedRecords; ++n) {
            QVERIFY(!share(u"815"_s, QString(),
                           {{RecordColumns::Place, pagedPlace(n)}, {RecordColumns::City, u"Lyon"_s},
                            {RecordColumns::Comments, u"paginationword %1"_s.arg(n)}})
                         .isEmpty());
        }
        QVERIFY(post(u"4711"_s, kAlias, kScript + u' ' + kImage));
        QVERIFY(post(u"4711"_s, kAlias, kQuotes + u' ' + kInjectedTag));
        QVERIFY(post(u"4711"_s, kAlias, kPostLines));
    }

    void cleanupTestCase() { m_server.reset(); }

    // Every page is UTF-8 HTML with a policy that allows no inline script and no other host.
    void securityPolicy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("product page") << u"roamlog/"_s;
        QTest::newRow("browser") << u"cgi-bin/roamlogdb.cgi?cmd=find"_s;
        QTest::newRow("browser search") << u"cgi-bin/roamlogdb.cgi?cmd=find&q=zanzibarian"_s;
        QTest::newRow("browser below roamlog/") << u"cgi-bin/roamlog/roamlogdb.cgi?cmd=find"_s;
        QTest::newRow("forum") << u"cgi-bin/roamlogdb.cgi?cmd=msgs"_s;
        QTest::newRow("forum below roamlog/") << u"cgi-bin/roamlog/roamlogdb.cgi?cmd=msgs"_s;
    }
    void securityPolicy()
    {
        QFETCH(QString, path);
        const RawHttp::Answer answer = RawHttp::get(m_server->port(), '/' + path.toLatin1());
        QCOMPARE(answer.status, 200);
        QVERIFY2(answer.header("content-type").toLower().contains("charset=utf-8"), answer.header("content-type"));
        const QByteArray policy = answer.header("content-security-policy");
        QVERIFY2(!policy.isEmpty(), "no Content-Security-Policy header");
        QMap<QByteArray, QList<QByteArray>> directives;
        for (const QByteArray& directive : policy.split(';')) {
            QList<QByteArray> words = directive.simplified().split(' ');
            if (!words.first().isEmpty())
                directives.insert(words.takeFirst().toLower(), words);
        }
        const auto sources = [&](const QByteArray& name) {
            return directives.value(name, directives.value("default-src"));
        };
        for (const QByteArray name : {"script-src", "img-src", "style-src", "frame-src", "connect-src"}) {
            const QList<QByteArray> allowed = sources(name);
            QVERIFY2(!allowed.isEmpty(), name + " is not restricted: " + policy);
            for (const QByteArray& source : allowed) {
                const bool local = source == "'self'" || source == "'none'" || (name == "img-src" && source == "data:");
                QVERIFY2(local, name + " allows " + source + ": " + policy);
            }
        }
    }

    void productPage()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const RenderedPage page = render(m_server->baseUrl() + u"roamlog/"_s);
        QVERIFY2(page.visibleText().contains(u"Roamlog"_s), qPrintable(page.visibleText()));
        verifyNothingInjected(page);
        QStringList targets;
        for (const auto& link : page.elements(u"a"_s))
            targets.append(QUrl(m_server->baseUrl() + u"roamlog/"_s).resolved(QUrl(link.attributes.value(u"href"_s))).toString());
        QVERIFY2(targets.contains(m_server->baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=find"_s), qPrintable(targets.join(u' ')));
        QVERIFY2(targets.contains(m_server->baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=msgs"_s), qPrintable(targets.join(u' ')));
    }

    // A search finds the record by a word of its comments and shows every value as typed.
    void recordBrowserSearch()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const RenderedPage page = render(findAddress(u"zanzibarian"_s));
        const QString text = page.visibleText();
        for (const QString& value : {kScript, kImage, kQuotes, kInjectedTag, kAccent, kAlias, u"France"_s})
            QVERIFY2(text.contains(value), qPrintable(u"missing %1 in: %2"_s.arg(value, text)));
        QVERIFY2(!text.contains(u"Pager"_s), "the search shows records without the word");
        verifyNothingInjected(page);
    }

    // The record's own page, reached through its link in the browser's list.
    void recordPage()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const QUrl list(findAddress(u"zanzibarian"_s));
        QUrl recordAddress;
        for (const auto& link : render(list.toString()).elements(u"a"_s)) {
            if (link.attributes.value(u"href"_s).contains(m_hostileId))
                recordAddress = list.resolved(QUrl(link.attributes.value(u"href"_s)));
        }
        QVERIFY2(recordAddress.isValid() && !recordAddress.isEmpty(), "no link to the record's page");
        const RenderedPage page = render(recordAddress.toString());
        const QString text = page.visibleText();
        for (const QString& value : {kScript, kImage, kQuotes, kInjectedTag, kAccent, kAlias, u"05-14-2026"_s})
            QVERIFY2(text.contains(value), qPrintable(u"missing %1 in: %2"_s.arg(value, text)));
        verifyNothingInjected(page);
    }

    // Both forum addresses show the posts newest first, with their alias and line breaks.
    void forum_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("Read Forum") << u"cgi-bin/roamlogdb.cgi?cmd=msgs"_s;
        QTest::newRow("Show posts") << u"cgi-bin/roamlog/roamlogdb.cgi?cmd=msgs"_s;
    }
    void forum()
    {
        QFETCH(QString, path);
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const RenderedPage page = render(m_server->baseUrl() + path);
        const QString text = page.visibleText();
        const qsizetype newest = text.indexOf(u"First line é Second <i>line</i> & more"_s);
        const qsizetype middle = text.indexOf(kQuotes + u' ' + kInjectedTag);
        const qsizetype oldest = text.indexOf(kScript + u' ' + kImage);
        QVERIFY2(newest >= 0 && middle >= 0 && oldest >= 0, qPrintable(text));
        QVERIFY2(newest < middle && middle < oldest, "the posts are not newest first");
        QVERIFY(text.contains(kAlias));
        verifyNothingInjected(page);
    }

    // 55 matching records: the first page shows 50, the page it links to as the next one
    // (rel="next") the other 5, none on both.
    void secondPageFollowsFirst()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const QUrl first(findAddress(u"paginationword"_s));
        const RenderedPage firstPage = render(first.toString());
        QUrl next;
        for (const auto& link : firstPage.elements(u"a"_s)) {
            if (link.attributes.value(u"rel"_s) == u"next"_s)
                next = first.resolved(QUrl(link.attributes.value(u"href"_s)));
        }
        QVERIFY2(!next.isEmpty(), "no link to the second page");
        QVERIFY2(QUrlQuery(next).queryItemValue(u"q"_s) == u"paginationword"_s, "the next page forgets the search");
        const QSet<QString> onFirst = pagedPlacesIn(firstPage);
        const QSet<QString> onSecond = pagedPlacesIn(render(next.toString()));
        QCOMPARE(onFirst.size(), kPageSize);
        QCOMPARE(onSecond.size(), kPagedRecords - kPageSize);
        QVERIFY2(!onFirst.intersects(onSecond), "a record shows on both pages");
        QSet<QString> all;
        for (int n = 1; n <= kPagedRecords; ++n)
            all.insert(pagedPlace(n));
        QCOMPARE(onFirst + onSecond, all);
    }

private:
    static QSet<QString> pagedPlacesIn(const RenderedPage& page)
    {
        static const QRegularExpression place(u"Pager \\d{3}"_s);
        QSet<QString> found;
        for (auto it = place.globalMatch(page.visibleText()); it.hasNext();)
            found.insert(it.next().captured(0));
        return found;
    }

    // The find page's map: each country of the shared records links to the find page of its
    // most shared spelling, and no value of a record reaches the page as markup.
    void recordBrowserMap()
    {
        if (!m_browser.isAvailable())
            QSKIP(qPrintable(m_browser.skipReason()));
        const QString hostile = u"<France>'\""_s;
        for (const QString& country : {hostile, hostile, u"Ivory Coast"_s})
            QVERIFY(!share(u"4711"_s, kAlias, {{RecordColumns::Place, u"Mapped"_s}, {RecordColumns::Country, country}}).isEmpty());
        const QString find = m_server->baseUrl() + u"cgi-bin/roamlogdb.cgi?cmd=find"_s;
        const RenderedPage page = render(find);
        verifyNothingInjected(page);
        for (const QString& title : {u"France: 3 records"_s, u"C\u00f4te d'Ivoire: 1 record"_s})
            QVERIFY2(page.visibleText().contains(title), qPrintable(title));
        QString france;
        for (const auto& link : page.elements(u"a"_s))
            if (link.attributes.value(u"href"_s).contains(u"country=%3CFrance"_s))
                france = QUrl(find).resolved(QUrl(link.attributes.value(u"href"_s))).toString();
        QVERIFY(!france.isEmpty());
        QVERIFY(render(france).visibleText().contains(u"Mapped"_s));
    }
};

QTEST_GUILESS_MAIN(ServerPagesTest)
#include "test_server_pages.moc"
