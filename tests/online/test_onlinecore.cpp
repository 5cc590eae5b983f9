#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/RecordSharing.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/SharingReport.h"
#include "online/SuggestionCheck.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "store/LineCodec.h"
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
        QTest::newRow("cut off") << Answer{200, "ok:12", B::Normal, 50} << true << none;
        QTest::newRow("error page cut off") << Answer{500, "<p>", B::Normal, 50} << true << none;
        QTest::newRow("reset") << Answer{200, "ok:12", B::Reset, 50} << true << none;
        QTest::newRow("chunked") << Answer{200, "5\r\nok:12\r\n0\r\n\r\n", B::NoLength, -1, "Transfer-Encoding: chunked\r\n"} << false << none;
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
        const bool chunked = answer.headerLines.contains("chunked"); // the one chunk is "ok:12"
        QCOMPARE(result.text, failed ? QString() : chunked ? u"ok:12"_s : QString::fromLatin1(answer.body));
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

    // The rows' marks ("L" before a mark: a record as long as a stored line can be); the
    // replies in turn ("~": the request failed); the request before which the user cancels (0:
    // never); the marks after; the rows sent, with "m" when the mark changed and "a" when the
    // alias was taken; the count; the sentences that end the closing message.
    void share_data()
    {
        for (const char* column : {"marks", "replies"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("cancelAt");
        for (const char* column : {"after", "sent"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("posted");
        QTest::addColumn<QString>("summary");
        // clang-format off
        auto row = [](const char* tag, const char* marks, const char* replies, int cancelAt, const char* after,
                      const char* sent, int posted, const char* summary) {
            QTest::newRow(tag) << QString::fromUtf8(marks) << QString::fromUtf8(replies) << cancelAt
                               << QString::fromUtf8(after) << QString::fromUtf8(sent) << posted
                               << QString::fromUtf8(summary);
        };
        const char* unusable3 = "3 records got an answer the program could not use and will be offered again.";
        row("two rows", "*,*", "ok:1,ok:2", 0, "*,*", "", 0, "");
        row("none offered", ",A1,**", "", 0, ",A1,**", "", 0, "No record was waiting to be shared.");
        row("identifiers", "*,, ", "ok:A17,ok-B2", 0, "A17,,B2", "1m,3m", 2, "2 records were published.");
        row("ban on row 5", "A,B,C,D,*", "ban", 0, "A,B,C,D,x 5-061231", "5m", 1, "1 record was refused by the server.");
        row("ok alone", "*,*,*", "ok,ok,ok", 0, "*,*,*", "1,2,3", 0, unusable3);
        row("offered marks, blanks", "*,*,*,*", "ok:*,ok: ,ok:   ,ok:|x", 0, "*,*,*,*", "1,2,3,4", 0,
            "4 records got an answer the program could not use and will be offered again.");
        row("stops at no answer", "*,*,*,*", "ok:1,~,ok:2", 0, "1,*,*,*", "1m,2", 1,
            "1 record was published. The server did not answer, so 3 records still wait to be shared.");
        row("no answer at once", "*,A,*", "~", 0, "*,A,*", "1", 0,
            "The server did not answer, so 2 records still wait to be shared.");
        row("alias taken", "*,*,*", "tkn,ok:1", 0, "*,*,*", "1a", 0,
            "The alias belongs to another user, so 3 records were not shared; change the alias on the User tab and share again.");
        row("error page, garbage", "*,*,*", "<p>ok:1</p>,garbage,OK:1", 0, "*,*,*", "1,2,3", 0, unusable3);
        row("ids cut", "*,*,*", "ok:A|x|,ok:B\r\nC,ok:C\u20AC\t", 0, "A,B,C\u20AC", "1m,2m,3m", 3,
            "3 records were published.");
        row("rewrite fails", "*,*,*", "ok:1,ok:2,ok:3", 0, "1,2,3", "1m,2m,3m", 3, "3 records were published.");
        row("cancelled", "*,*,*,*", "ok:1,ok:2,ok:3", 3, "1,2,*,*", "1m,2m", 2,
            "2 records were published. You cancelled the sharing: 2 records were not sent and will be offered again.");
        row("cancelled first", "*,*,*", "ok:1", 1, "*,*,*", "", 0,
            "You cancelled the sharing: 3 records were not sent and will be offered again.");
        row("mark too long", "L*,*,*", "ok:AB,ok:C,ban", 0, "*,C,x 3-061231", "1,2m,3m", 2,
            "1 record was published. 1 record was refused by the server. "
            "1 record got an answer that could not be stored and will be offered again.");
        // clang-format on
    }
    void share()
    {
        QFETCH(QString, marks);
        QFETCH(QString, replies);
        QFETCH(int, cancelAt);
        QFETCH(QString, after);
        QFETCH(QString, sent);
        QFETCH(int, posted);
        QFETCH(QString, summary);
        TestFolder folder;
        const bool unwritable = QByteArray(QTest::currentDataTag()) == "rewrite fails";
        RecordStore store(unwritable ? folder.filePath(u"missing/folder"_s) : folder.path());
        for (QString mark : marks.split(u',')) {
            TravelRecord record;
            if (mark.startsWith(u'L')) { // the line with its CR LF fills the encoding exactly
                mark.remove(0, 1);
                const QString comments(LineCodec::kMaxEncodableLength - 2 - 24 - mark.size(), u'c');
                QVERIFY(!record.setField(RecordColumns::Comments, comments));
            }
            QVERIFY(!record.setField(RecordColumns::UploadMark, mark) && store.appendRow(record));
        }
        const auto offered = RecordSharing::offeredRows(store);
        QStringList seen, expected, steps, expectedSteps;
        QString status = u"before"_s;
        const RecordSharing::Hooks hooks{
            [&, next = 0](const QString&) mutable {
                const QString reply = replies.split(u',').value(next++);
                return reply == u"~" ? FetchResult::failure(u"no answer in time"_s) : FetchResult::success(reply);
            },
            [&](const QString& text) { seen << (status = text); },
            [&] { return status; },
            [&] { seen << u"(timer)"_s; },
            [&] { seen << u"(alias)"_s; },
            [&](int r) { seen << u"(mark %1)"_s.arg(r); },
            [&](int index, int total) { return steps << u"%1/%2"_s.arg(index).arg(total), index != cancelAt; }};
        const auto outcome = RecordSharing::ShareRecords(store, {2006, 12, 31}, hooks);
        for (const QString& item : sent.split(u',', Qt::SkipEmptyParts)) {
            expected << u"uploading record  "_s + item.left(1);
            if (item.endsWith(u'm'))
                expected << u"(mark %1)"_s.arg(item.left(1).toInt() - 1);
            if (item.endsWith(u'a'))
                expected << u"(alias)"_s;
            expected << u"Done"_s << u"(timer)"_s;
            expectedSteps << u"%1/%2"_s.arg(expectedSteps.size() + 1).arg(offered.size());
        }
        if (cancelAt)
            expectedSteps << u"%1/%2"_s.arg(cancelAt).arg(offered.size());
        const bool tooFew = store.rowCount() < 3;
        if (!tooFew)
            expected << (sent.isEmpty() ? u"before"_s : u"Done"_s) +
                            u" > uploaded %1 items"_s.arg(posted);
        QCOMPARE(seen, expected);
        QCOMPARE(steps, expectedSteps);
        QCOMPARE(outcome.stop == RecordSharing::Stop::AliasTaken, sent.contains(u'a'));
        const QString closing = tooFew ? u"First post must have at least 3 entries"_s
                                       : (posted ? u"Thank you!\r\n\r\n"_s : QString()) + summary;
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

    // Fields that hold a value in at least one record to send, in column order; what the
    // question before sharing names.
    void shareQuestion()
    {
        TestFolder folder;
        RecordStore store(folder.path());
        const QList<std::pair<int, QString>> rows[] = {
            {{RecordColumns::Place, u"Inn"_s}, {RecordColumns::Telephone, u"555"_s}, {RecordColumns::UploadMark, u"*"_s}},
            {{RecordColumns::Place, u"Bar"_s}, {RecordColumns::Email, u"a@b.c"_s}},
            {{RecordColumns::Comments, u"Nice"_s}, {RecordColumns::RecommendedBy, u"Eve"_s}, {RecordColumns::UploadMark, u" "_s}}};
        for (const auto& fields : rows) {
            TravelRecord record;
            for (const auto& [column, text] : fields)
                QVERIFY(!record.setField(column, text));
            QVERIFY(store.appendRow(record));
        }
        const auto offered = RecordSharing::offeredRows(store);
        QCOMPARE(offered, (std::vector<int>{0, 2}));
        const QStringList fields = SharingReport::publishedFields(store, offered); // not the e-mail of row 2
        QCOMPARE(fields, (QStringList{u"place"_s, u"comments"_s, u"telephone"_s, u"recommended by"_s}));
        QCOMPARE(SharingReport::question(2, fields, u"example.org"_s),
                 u"2 records will be visible to everyone on example.org: place, comments, telephone, recommended by."_s);
        QCOMPARE(SharingReport::question(1, {u"place"_s}, u"h"_s), u"1 record will be visible to everyone on h: place."_s);
    }
};

QTEST_GUILESS_MAIN(OnlineCoreTest)
#include "test_onlinecore.moc"
