#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/RecordSharing.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/SuggestionCheck.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "store/RecordStore.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Answer = LocalHttpServer::Answer;
using B = LocalHttpServer::Behaviour;
Q_DECLARE_METATYPE(Answer)

// The request layer against a local server; the suggestion check and sharing on scripted replies.
class OnlineCoreTest : public QObject
{
    Q_OBJECT
    const QString no;

private slots:
    // The version request for each kind of answer, and what the User tab shows for it.
    void replies_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("shown");
        const QString newer = u"There is a new version"_s, current = u"This version is current"_s,
                      none = u"Remote server not found"_s;
        const QByteArray cap(TextFetcher::kMaxBodyBytes, 'x');
        // clang-format off
        QTest::newRow("101") << Answer{200, "101"} << false << newer;
        QTest::newRow("100") << Answer{200, "100"} << false << current;
        QTest::newRow("99") << Answer{200, "99"} << false << current;
        QTest::newRow("abc") << Answer{200, "abc"} << false << current;
        QTest::newRow("empty") << Answer{200, ""} << false << current;
        QTest::newRow("1000") << Answer{200, "1000"} << false << none;
        QTest::newRow("1.01") << Answer{200, "1.01"} << false << none;
        QTest::newRow("error page") << Answer{404, QByteArray(5000, 'e')} << false << none;
        QTest::newRow("exactly 1 MB") << Answer{200, cap, B::NoLength} << false << none;
        QTest::newRow("1 MB + 1") << Answer{200, cap + 'x'} << true << none;
        QTest::newRow("1 MB + 1, no length") << Answer{200, cap + 'x', B::NoLength} << true << none;
        QTest::newRow("never answers") << Answer{0, {}, B::NeverAnswer} << true << none;
        QTest::newRow("closed unanswered") << Answer{0, {}, B::Close} << true << none;
        // clang-format on
    }
    void replies()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, failed);
        QFETCH(QString, shown);
        LocalHttpServer server;
        server.answer(answer);
        TextFetcher fetcher;
        fetcher.setTimeout(500);
        const auto result = fetcher.FetchText(ServerRequests::versionAddress(server.baseUrl()));
        QCOMPARE(result.failed, failed);
        QCOMPARE(result.text, failed ? QString() : QString::fromLatin1(answer.body));
        QCOMPARE(VersionCheck::resultText(result), shown);
        // (Qt sends a request once more when the connection closed before any answer.)
        QCOMPARE(server.requests().value(0), "GET /roamlog/version.txt");
    }

    void refusedAddresses()
    {
        LocalHttpServer server;
        for (const QString& address : {u"place."_s, u"file:///etc/passwd"_s, u"http:///x"_s,
                                       u"ftp://127.0.0.1:%1/"_s.arg(QUrl(server.baseUrl()).port()),
                                       LocalHttpServer::closedPortUrl()}) {
            QVERIFY2(TextFetcher().FetchText(address).failed, qPrintable(address));
        }
        QVERIFY(server.requests().isEmpty());
    }

    // A blocking request waits for the one started before it (here until its time-out): they
    // never overlap. A second request started while one waits fails.
    void laterThenBlocking()
    {
        LocalHttpServer server;
        server.answer([](const QByteArray& t) {
            return Answer{200, t + "\xE9\x80", t == "/first" ? B::NeverAnswer : B::Normal};
        });
        TextFetcher fetcher;
        fetcher.setTimeout(300);
        QStringList seen;
        auto keep = [&](const FetchResult& r) { seen << (r.failed ? u"failed"_s : r.text); };
        fetcher.fetchLater(server.baseUrl() + u"first"_s, keep);
        fetcher.fetchLater(server.baseUrl() + u"second"_s, keep);
        QVERIFY(fetcher.isBusy() && seen.isEmpty());
        seen << fetcher.FetchText(server.baseUrl() + u"third"_s).text;
        QCOMPARE(seen.join(u','), u"failed,failed,/third\u00E9\u20AC"_s);
        QCOMPARE(server.requests(), (QList<QByteArray>{"GET /first", "GET /third"}));
    }

    // Values holding "&", "=", "#", line breaks or 8-bit characters arrive as they were typed.
    void requestLines()
    {
        LocalHttpServer server;
        const QString id = u"4711"_s, cgi = server.baseUrl() + u"cgi-bin/roamlog/roamlogdb.cgi?"_s;
        const QString text = u"&usr=x#1\r\n\u00E9\u20AC ~-._+?\u0142\U0001F600"_s;
        const QDateTime morning({2006, 3, 7}, {9, 5, 7}), evening({2006, 12, 31}, {21, 0, 59});
        for (const QString& address :
             {ServerRequests::forumPostAddress(cgi, text, u"Bob "_s, id, morning),
              ServerRequests::forumPostAddress(cgi, {}, u"a"_s, id, evening),
              ServerRequests::addRecordAddress(cgi, id, u"B&B"_s, u"Inn|a=1||*|"_s),
              ServerRequests::addRecordAddress(cgi, id, {}, u"Inn| |"_s)})
            QVERIFY(!TextFetcher().FetchText(address).failed);
        const QByteArray get = "GET /cgi-bin/roamlog/roamlogdb.cgi?";
        QCOMPARE(server.requests(),
                 (QList<QByteArray>{
                     get + "path=post&param=%26usr%3Dx%231%0D%0A%E9%80%20~-._%2B%3F%3F%3F"
                           "&usr=Bob%20&mac=4711&param2=03-07-2006%2009%3A05%3A07",
                     get + "path=post&param=&usr=a&mac=4711&param2=12-31-2006%2021%3A00%3A59",
                     get + "mac=4711&usr=B%26B&cmd=add&param=Inn%7Ca%3D1%7C%7C%2A%7C",
                     get + "mac=4711&usr=&cmd=add&param=Inn%7C%20%7C"}));
    }

    void replyTokens()
    {
        using T = ReplyToken;
        // clang-format off
        for (const auto& [reply, token, identifier] : QList<std::tuple<QString, T, QString>>{
                 {u"ok:123"_s, T::Ok, u"123"_s}, {u"ok"_s, T::Ok, no}, {u"ok:"_s, T::Ok, no},
                 {u"OK:123"_s, T::None, no}, {u"tkn"_s, T::Taken, no}, {u"tkn:B"_s, T::Taken, no},
                 {u"tk"_s, T::None, no}, {u"ban"_s, T::Banned, no}, {no, T::None, no},
                 {u"ok A 1|B2|"_s, T::Ok, u"A 1"_s}, {u"ok:A\u0081"_s, T::Ok, u"A"_s},
                 {u"ok:\u00E9\u0142"_s, T::Ok, u"\u00E9"_s},
                 {u"ok:"_s + QString(70, u'7'), T::Ok, QString(64, u'7')}}) {
            // clang-format on
            QCOMPARE(ReplyTokens::classify(reply), token);
            if (token == T::Ok)
                QCOMPARE(ReplyTokens::identifier(reply), identifier);
        }
    }

    // The text, the probe's reply, the refused word (none: the text passes), the words probed.
    void suggestionScan()
    {
        // clang-format off
        for (const auto& [text, reply, word, probed] : QList<std::array<QString, 4>>{{
                 {u"see www.example.org now"_s, no, u"www.example.org"_s, no},
                 {u"at example.co.uk"_s, no, u"example.co.uk"_s, no}, {no, no, no, no},
                 {u"http page"_s, no, u"http"_s, no}, {u"EXAMPLE.NET"_s, no, u"example.net"_s, no},
                 // A one-letter first word is cut together with the next one.
                 {u"x ftp://a b"_s, no, u"x ftp://a"_s, no}, {u"a b.cd"_s, no, no, u"a b.cd"_s},
                 {u"Nice place. Good food."_s, no, no, u"place.|food."_s},
                 {u"Nice place. Good food."_s, u"<html>"_s, u"place."_s, u"place."_s},
                 {u"see foo.com, bar"_s, no, no, u"foo.com,"_s}, {u"just words"_s, no, no, no},
                 {u"go.to/x"_s, u"page"_s, u"go.to/x"_s, u"go.to/x"_s},
                 {u"go.to/x \twww.b"_s, no, u"\twww.b"_s, u"go.to/x"_s}}}) { // a tab is no blank
            // clang-format on
            QStringList seen;
            const QString probeReply = reply; // clang 14 cannot capture a structured binding
            const SuggestionCheck check([&](const QString& w) { return seen << w, probeReply; });
            const SuggestionCheck::Verdict verdict = check.CheckSuggestionText(text);
            QCOMPARE(verdict.refused, !word.isEmpty());
            QCOMPARE(verdict.word, word);
            QCOMPARE(seen.join(u'|'), probed);
        }
        for (const QString& ending : u".com .net .org .co .nl .ch .info .us .es"_s.split(u' '))
            QVERIFY(SuggestionCheck({}).CheckSuggestionText(u"site"_s + ending).refused);
    }

    // The rows' marks; the replies in turn ("" as from a failed request); the marks after; the
    // rows sent, with "m" when the mark changed and "a" when the alias was taken; the count.
    void share_data()
    {
        for (const char* column : {"marks", "replies", "after", "sent"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("posted");
        // clang-format off
        auto row = [](const char* tag, const char* marks, const char* replies, const char* after,
                      const char* sent, int posted) {
            QTest::newRow(tag) << QString::fromUtf8(marks) << QString::fromUtf8(replies)
                               << QString::fromUtf8(after) << QString::fromUtf8(sent) << posted;
        };
        row("two rows", "*,*", "ok:1,ok:2", "*,*", "", 0);
        row("none offered", ",A1,**", "", ",A1,**", "", 0);
        row("identifiers", "*,, ", "ok:A17,ok-B2", "A17,,B2", "1m,3m", 2);
        row("ban on row 5", "A,B,C,D,*", "ban", "A,B,C,D,x 5-061231", "5m", 1);
        row("ok alone", "*,*,*", "ok,ok,ok", "*,*,*", "1,2,3", 0);
        row("2 of 4 fail", "*,*,*,*", "ok:1,,ok:2,", "1,*,2,*", "1m,2,3m,4", 2);
        row("alias taken", "*,*,*", "tkn,ok:1", "*,*,*", "1a", 0);
        row("error page, garbage", "*,*,*", "<p>ok:1</p>,garbage,OK:1", "*,*,*", "1,2,3", 0);
        row("ids cut", "*,*,*", "ok:A|x|,ok:B\r\nC,ok:C\u20AC\t", "A,B,C\u20AC", "1m,2m,3m", 3);
        row("rewrite fails", "*,*,*", "ok:1,ok:2,ok:3", "1,2,3", "1m,2m,3m", 3);
        // clang-format on
    }
    void share()
    {
        QFETCH(QString, marks);
        QFETCH(QString, replies);
        QFETCH(QString, after);
        QFETCH(QString, sent);
        QFETCH(int, posted);
        TestFolder folder;
        const bool unwritable = QByteArray(QTest::currentDataTag()) == "rewrite fails";
        RecordStore store(unwritable ? folder.filePath(u"missing/folder"_s) : folder.path());
        for (const QString& mark : marks.split(u',')) {
            TravelRecord record;
            QVERIFY(!record.setField(RecordColumns::UploadMark, mark) && store.appendRow(record));
        }
        QStringList seen, expected;
        QString status = u"before"_s;
        const RecordSharing::Hooks hooks{
            [&, next = 0](const QString&) mutable { return replies.split(u',').value(next++); },
            [&](const QString& text) { seen << (status = text); },
            [&] { return status; },
            [&] { seen << u"(timer)"_s; },
            [&] { seen << u"(alias)"_s; },
            [&](int r) { seen << u"(mark %1)"_s.arg(r); }};
        const auto outcome = RecordSharing::ShareRecords(store, {2006, 12, 31}, hooks);
        for (const QString& item : sent.split(u',', Qt::SkipEmptyParts)) {
            expected << u"uploading record  "_s + item.left(1);
            if (item.endsWith(u'm'))
                expected << u"(mark %1)"_s.arg(item.left(1).toInt() - 1);
            if (item.endsWith(u'a'))
                expected << u"(alias)"_s;
            expected << u"Done"_s << u"(timer)"_s;
        }
        const bool tooFew = store.rowCount() < 3;
        if (!tooFew)
            expected << (sent.isEmpty() ? u"before"_s : u"Done"_s) +
                            u" > uploaded %1 items"_s.arg(posted);
        QCOMPARE(seen, expected);
        QCOMPARE(outcome.aliasTaken, sent.contains(u'a'));
        const QString closing = tooFew ? u"First post must have at least 3 entries"_s
                                       : (posted ? u"Thank you!"_s : QString());
        QCOMPARE(outcome.message, u"Posted %1 items. \r\n\r\n"_s.arg(posted) + closing);
        QCOMPARE(bool(outcome.saved), !unwritable);
        // The file is rewritten with the new marks as 24th fields only when something was posted.
        RecordStore reread(folder.path());
        reread.LoadDatabase();
        QCOMPARE(reread.rowCount(), posted && !unwritable ? store.rowCount() : 0);
        for (int r = 0; r < store.rowCount(); ++r) {
            QCOMPARE(store.row(r).field(RecordColumns::UploadMark), after.section(u',', r, r));
            if (reread.rowCount())
                QCOMPARE(reread.row(r).field(RecordColumns::UploadMark), after.section(u',', r, r));
        }
    }
};

QTEST_GUILESS_MAIN(OnlineCoreTest)
#include "test_onlinecore.moc"
