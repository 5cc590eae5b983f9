#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/RecordSharing.h"
#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/SharingReport.h"
#include "online/SuggestionCheck.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "store/Cp1252.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Answer = LocalHttpServer::Answer;
using B = LocalHttpServer::Behaviour;
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(ReplyToken)

// The request layer against a local server; the suggestion check and sharing on scripted replies.
class OnlineCoreTest : public QObject
{
    Q_OBJECT
    const QString no;
    LocalHttpServer m_elsewhere; // a host that must never be asked

private slots:
    // What each kind of answer means to each of its readers: whether the request failed, what
    // the User tab shows for it as a version, its token (a forum post is accepted on Ok), and
    // the mark a share stores for it on row 1 ("": the record stays offered).
    void replies_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("version");
        QTest::addColumn<ReplyToken>("token");
        QTest::addColumn<QString>("mark");
        const QString newer = u"There is a new version"_s, current = u"This version is current"_s,
                      none = u"Remote server not found"_s;
        const QByteArray cap(TextFetcher::kMaxBodyBytes, 'x'), id64(64, '7');
        const QByteArray elsewhere = "Location: " + m_elsewhere.baseUrl().toLatin1() + "add?ok:X\r\n";
        using T = ReplyToken;
        // clang-format off
        QTest::newRow("101") << Answer{200, "101"} << false << newer << T::None << no;
        QTest::newRow("100") << Answer{200, "100"} << false << current << T::None << no;
        QTest::newRow("99") << Answer{200, "99"} << false << current << T::None << no;
        QTest::newRow("abc") << Answer{200, "abc"} << false << current << T::None << no;
        QTest::newRow("empty") << Answer{200, ""} << false << current << T::None << no;
        QTest::newRow("1000") << Answer{200, "1000"} << false << none << T::None << no;
        QTest::newRow("error page") << Answer{404, QByteArray(5000, 'e')} << false << none << T::None << no;
        QTest::newRow("404 101") << Answer{404, "101"} << false << none << T::None << no;
        QTest::newRow("exactly 1 MB") << Answer{200, cap, B::NoLength} << false << none << T::None << no;
        QTest::newRow("1 MB + 1") << Answer{200, cap + 'x'} << true << none << T::None << no;
        QTest::newRow("1 MB + 1, no length") << Answer{200, cap + 'x', B::NoLength} << true << none << T::None << no;
        QTest::newRow("never answers") << Answer{0, {}, B::NeverAnswer} << true << none << T::None << no;
        QTest::newRow("closed unanswered") << Answer{0, {}, B::Close} << true << none << T::None << no;
        QTest::newRow("cut off") << Answer{200, "ok:12", B::Normal, 50} << true << none << T::None << no;
        QTest::newRow("error page cut off") << Answer{500, "<p>", B::Normal, 50} << true << none << T::None << no;
        QTest::newRow("reset") << Answer{200, "ok:12", B::Reset, 50} << true << none << T::None << no;
        QTest::newRow("chunked") << Answer{200, "5\r\nok:12\r\n0\r\n\r\n", B::NoLength, -1, "Transfer-Encoding: chunked\r\n"} << false << none << T::Ok << u"12"_s;
        QTest::newRow("ok-B2") << Answer{200, "ok-B2"} << false << none << T::Ok << no;
        QTest::newRow("ok:A17 CR LF") << Answer{200, "ok:A17\r\n"} << false << none << T::Ok << u"A17"_s;
        QTest::newRow("ok:é€~") << Answer{201, "ok:\xE9\x80~\n"} << false << none << T::Ok << u"\u00E9\u20AC~"_s;
        QTest::newRow("ok:64") << Answer{200, "ok:" + id64} << false << none << T::Ok << QString(64, u'7');
        QTest::newRow("ok:65") << Answer{200, "ok:" + id64 + '7'} << false << none << T::Ok << no;
        QTest::newRow("ok: 10 KB") << Answer{200, "ok:" + QByteArray(10240, 'A')} << false << none << T::Ok << no;
        QTest::newRow("ok alone") << Answer{200, "ok"} << false << current << T::Ok << no;
        QTest::newRow("moderation") << Answer{200, "okay, stored for moderation"} << false << none << T::Ok << no;
        QTest::newRow("ok:A NUL B") << Answer{200, QByteArray("ok:A\0B", 6)} << false << none << T::Ok << no;
        QTest::newRow("ok:A B") << Answer{200, "ok:A B"} << false << none << T::Ok << no;
        QTest::newRow("ok:A|B") << Answer{200, "ok:A|B|"} << false << none << T::Ok << no;
        QTest::newRow("two lines") << Answer{200, "ok:B\r\nC"} << false << none << T::Ok << no;
        QTest::newRow("ok:*") << Answer{200, "ok:*"} << false << none << T::Ok << no;
        QTest::newRow("OK:1") << Answer{200, "OK:1"} << false << none << T::None << no;
        QTest::newRow("500 ok:X") << Answer{500, "ok:X"} << false << none << T::None << no;
        QTest::newRow("302 elsewhere") << Answer{302, "ok:X", B::Normal, -1, elsewhere} << false << none << T::None << no;
        QTest::newRow("302 same host") << Answer{302, "101", B::Normal, -1, "Location: /roamlog/v2.txt\r\n"} << false << none << T::None << no;
        QTest::newRow("ban") << Answer{200, "ban"} << false << current << T::Banned << u"x 1-061231"_s;
        QTest::newRow("403 ban") << Answer{403, "ban"} << false << none << T::None << no;
        QTest::newRow("tkn") << Answer{200, "tkn:B"} << false << none << T::Taken << no;
        QTest::newRow("tk") << Answer{200, "tk"} << false << current << T::None << no;
        // clang-format on
    }
    void replies()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, failed);
        QFETCH(QString, version);
        QFETCH(ReplyToken, token);
        QFETCH(QString, mark);
        LocalHttpServer server;
        server.answer(answer);
        TextFetcher fetcher;
        fetcher.setTimeout(500);
        const auto result = fetcher.FetchText(ServerRequests::versionAddress(server.baseUrl()));
        QCOMPARE(result.failed, failed);
        const bool chunked = answer.headerLines.contains("chunked"); // the one chunk is "ok:12"
        QCOMPARE(result.text, failed ? QString() : chunked ? u"ok:12"_s : Cp1252::toUnicode(answer.body));
        QCOMPARE(VersionCheck::resultText(result), version);
        QCOMPARE(ReplyTokens::classify(result), token);
        QCOMPARE(RecordSharing::answerFor(result, 0, {2006, 12, 31}).mark, mark);
        // Only the address asked (Qt may send a request once more when the connection closed
        // before the whole answer arrived); a redirect is not followed.
        QCOMPARE(server.requests().value(0), "GET /roamlog/version.txt");
        const bool cutShort = answer.behaviour == B::Close || answer.announcedLength >= 0;
        QVERIFY(server.requests().size() == 1 || cutShort);
        QVERIFY(m_elsewhere.requests().isEmpty());
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

    // Requests never wait for one another: one that gets no answer does not hold up the next.
    // Dropping a request's context breaks it off at once, and its callback never comes.
    void requestsRunSideBySide()
    {
        LocalHttpServer server;
        server.answer([](const QByteArray& t) { return Answer{200, t, t == "/silent" ? B::NeverAnswer : B::Normal}; });
        TextFetcher fetcher;
        QVERIFY(fetcher.timeout() <= 30000);
        QStringList seen;
        auto keep = [&](const FetchResult& r) { seen << r.text; };
        auto* silent = new QObject(&fetcher);
        fetcher.fetch(server.baseUrl() + u"silent"_s, silent, keep);
        QTRY_COMPARE(server.requests().size(), 1);
        fetcher.fetch(server.baseUrl() + u"answered"_s, &fetcher, keep);
        QTRY_COMPARE(seen, QStringList{u"/answered"_s});
        delete silent;
        QTRY_COMPARE(server.abandoned(), 1);
        QCOMPARE(seen, QStringList{u"/answered"_s});
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
            const SuggestionCheck check([&](const QString& w, const SuggestionCheck::Reply& r) { seen << w, r(probeReply); });
            QStringList verdicts; // the refused word, or "" for a text that passes
            check.CheckSuggestionText(text, [&](const SuggestionCheck::Verdict& v) { verdicts << (v.refused ? v.word : no); });
            QCOMPARE(verdicts, QStringList{word});
            QCOMPARE(seen.join(u'|'), probed);
        }
        for (const QString& ending : u".com .net .org .co .nl .ch .info .us .es"_s.split(u' '))
            QVERIFY(SuggestionCheck::looksLikeAddress(u"site"_s + ending));
    }

    // The rows' marks ("L" before a mark: a record as long as a stored line can be); the
    // replies in turn ("~": the request failed); the request during which the user cancels (0:
    // never; -n: right after the answer to request n, which ends the sharing at once); the marks after; the rows sent, with "m" when the mark changed and "a" when the
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
        row("two rows", "*,*", "ok:1,ok:2", 0, "*,*", "", 0, "");
        row("none offered", ",A1,**", "", 0, ",A1,**", "", 0, "No record was waiting to be shared.");
        row("identifiers", "*,, ", "ok:A17,ok:B2", 0, "A17,,B2", "1m,3m", 2, "2 records were published.");
        row("ban on row 5", "A,B,C,D,*", "ban", 0, "A,B,C,D,x 5-061231", "5m", 1, "1 record was refused by the server.");
        row("ok alone", "*,*,*", "ok,ok,ok", 0, "*,*,*", "1,2,3", 0,
            "3 records got an answer the program could not use and will be offered again.");
        row("stops at no answer", "*,*,*,*", "ok:1,~,ok:2", 0, "1,*,*,*", "1m,2", 1,
            "1 record was published. The server did not answer, so 3 records still wait to be shared.");
        row("no answer at once", "*,A,*", "~", 0, "*,A,*", "1", 0,
            "The server did not answer, so 2 records still wait to be shared.");
        row("alias taken", "*,*,*", "tkn,ok:1", 0, "*,*,*", "1a", 0,
            "The alias belongs to another user, so 3 records were not shared; change the alias on the User tab and share again.");
        row("rewrite fails", "*,*,*", "ok:1,ok:2,ok:3", 0, "1,2,3", "1m,2m,3m", 3, "3 records were published.");
        row("cancelled", "*,*,*,*", "ok:1,ok:2,ok:3", 3, "1,2,*,*", "1m,2m,3", 2,
            "2 records were published. You cancelled the sharing: 2 records were not shared and will be offered again.");
        row("cancelled first", "*,*,*", "ok:1", 1, "*,*,*", "1", 0,
            "You cancelled the sharing: 3 records were not shared and will be offered again.");
        row("cancelled between two", "*,*,*", "ok:1,ok:2", -1, "1,*,*", "1m", 1,
            "1 record was published. You cancelled the sharing: 2 records were not shared and will be offered again.");
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
        QStringList seen, expected;
        QString status = u"before"_s;
        RecordSharing* sharing = nullptr;
        QPointer<QObject> cancelled;
        bool endedAtOnce = false;
        const RecordSharing::Hooks hooks{
            // Answered from the event loop while the request lives, as the fetcher does.
            [&, next = 0](const QString&, QObject* request, const RecordSharing::Reply& reply) mutable {
                if (++next == cancelAt)
                    return QTimer::singleShot(0, sharing, [&, request] { cancelled = request, sharing->cancel(); });
                const QString text = replies.split(u',').value(next - 1);
                QTimer::singleShot(0, request, [&, reply, text, cancelAfter = next == -cancelAt] {
                    reply(text == u"~" ? FetchResult::failure(u"no answer in time"_s) : FetchResult::success(text));
                    if (cancelAfter)
                        sharing->cancel(), endedAtOnce = sharing->isFinished();
                });
            },
            [&](const QString& text) { seen << (status = text); },
            [&] { return status; },
            [&] { seen << u"(timer)"_s; },
            [&] { seen << u"(alias)"_s; },
            [&](int r) { seen << u"(mark %1)"_s.arg(r); },
            [&](int index, int total) { seen << u"%1/%2"_s.arg(index).arg(total); }};
        RecordSharing run(store, {2006, 12, 31}, hooks);
        QSignalSpy finished((sharing = &run), &RecordSharing::finished);
        run.start();
        QTRY_COMPARE(finished.size(), 1);
        for (int step = 1; const QString& item : sent.split(u',', Qt::SkipEmptyParts)) {
            expected << u"%1/%2"_s.arg(step++).arg(offered.size()) << u"uploading record  "_s + item.left(1);
            if (item.endsWith(u'm'))
                expected << u"(mark %1)"_s.arg(item.left(1).toInt() - 1);
            if (item.endsWith(u'a'))
                expected << u"(alias)"_s;
            expected << u"Done"_s << u"(timer)"_s;
        }
        const bool tooFew = store.rowCount() < 3;
        if (!tooFew)
            expected << (sent.isEmpty() ? u"before"_s : u"Done"_s) + u" > uploaded %1 items"_s.arg(posted);
        QCOMPARE(seen, expected);
        QVERIFY(cancelAt == 0 || (!cancelled && run.outcome().stop == RecordSharing::Stop::Cancelled)); // broken off
        QVERIFY(cancelAt >= 0 || endedAtOnce);
        QCOMPARE(run.outcome().stop == RecordSharing::Stop::AliasTaken, sent.contains(u'a'));
        const QString closing = tooFew ? u"First post must have at least 3 entries"_s
                                       : (posted ? u"Thank you!\r\n\r\n"_s : QString()) + summary;
        QCOMPARE(run.outcome().message, u"Posted %1 items. \r\n\r\n"_s.arg(posted) + closing);
        QCOMPARE(bool(run.outcome().saved), !unwritable);
        // The file is rewritten with the new marks as 24th fields only when something was posted.
        RecordStore reread(folder.path());
        reread.LoadDatabase();
        QCOMPARE(reread.rowCount(), posted && !unwritable ? store.rowCount() : 0);
        for (int r = 0; r < store.rowCount(); ++r) {
            const QString mark = after.section(u',', r, r);
            QVERIFY(store.row(r).field(RecordColumns::UploadMark) == mark &&
                    (!reread.rowCount() || reread.row(r).field(RecordColumns::UploadMark) == mark));
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
    }
};

QTEST_GUILESS_MAIN(OnlineCoreTest)
#include "test_onlinecore.moc"
