#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/TextFetcher.h"
#include "settings/RegistrySettings.h"
#include "test_frmscrn_support.h"
#include "ui/list/RecordSearchBox.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/online/ShareCommand.h"
#include "ui/online/SuggestionPoster.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QtTest>
#include <QtWidgets>

using Answer = LocalHttpServer::Answer;
using B = LocalHttpServer::Behaviour;

namespace {
QString s(const char* text) { return QString::fromUtf8(text); }
const QString kAliasTaken = s("The used alias already belongs to other user. Please change it");

// A main window on the User tab, with a short time-out, over its own folder (constructed first), which gets
// the records and the server address before the window opens.
struct Online : TestFolder, WindowUnderTest
{
    explicit Online(const QString& url, const Records& records = {})
        : WindowUnderTest((qputenv("ROAMLOG_SERVER_URL", url.toLatin1()), writeDatabase(*this, records),
                           static_cast<const TestFolder&>(*this))), tab(window->userTab())
    {
        window->online()->fetcher()->setTimeout(1500);
        window->ssTab1()->setCurrentIndex(FrmScrn::UserTabIndex);
    }
    QString setting(const char* name) const
    {
        return RegistrySettings::GetRegistryValue(RegistrySettings::Root::CurrentUser, window->values().registryKeyPath, s(name));
    }
    UserTab* tab;
};

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

LocalHttpServer::Script inTurn(QList<Answer> answers)
{
    return [answers](const QByteArray&) mutable { return answers.isEmpty() ? Answer{} : answers.takeFirst(); };
}

} // namespace

class TestOnline : public QObject
{
    Q_OBJECT
private slots:
    // The alias as it stands, blanks kept (an emptied box stores ""), when the box is left;
    // "Post anonymously" at each click or Space.
    void userInformationIsStored()
    {
        Online o(LocalHttpServer::closedPortUrl());
        for (const QString& alias : {s("Ann "), QString()}) {
            o.tab->text3(0)->clear();
            o.type(s("Text3(0)"), alias);
            QTest::keyClick(o.tab->text3(0), Qt::Key_Tab);
            QCOMPARE(o.setting("200"), alias);
        }
        QCheckBox* check1 = o.tab->check1();
        click(check1);
        QCOMPARE(o.setting("202"), s("1"));
        check1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(check1, Qt::Key_Space);
        QVERIFY(!check1->isChecked() && o.setting("202") == s("0"));
    }

    void sendSuggestion()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok"}, {0, {}, B::NeverAnswer}, {500, "ok"}, {200, "tkn"}}));
        Online o(server.baseUrl());
        QPlainTextEdit* text4 = o.tab->text4();
        o.type(s("Text4"), s("a|a")); // a capital at the start only, and no "|"
        QTest::keyClick(text4, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(text4, s("{1"));
        text4->insertPlainText(QString(2100, u'x')); // as a paste does; 2000 characters at most
        QTest::keyClicks(text4, s("yz"));
        QCOMPARE(text4->toPlainText(), s("{1") + QString(1996, u'x') + s("Aa"));
        click(o.tab->command3(1));
        QVERIFY(text4->toPlainText().isEmpty());
        {
            MessageCatcher box;
            click(o.tab->command3(0));
            QCOMPARE(box.text(), s("You need to chose a Name/Alias to post"));
        }
        QCOMPARE(o->focusWidget(), o.tab->text3(0));
        o.tab->text3(0)->setText(s("Ann"));
        const QString cases[][3] = {{s("see www.x.org"), {}, s("Invalid text found: www.x.org message not posted")},
                                    {s("Nice place&usr=x"), s("Message posted. Thank You!!"), s("Message posted. Thank you")},
                                    {s("Nice"), {}, s("Message not posted: no reply from the server")},
                                    {s("Nice"), {}, s("Message not posted: the server did not accept it")}, // 500 "ok"
                                    {s("Nice"), kAliasTaken, s("Message not posted: the alias belongs to another user")}};
        for (const auto& expected : cases) {
            text4->setPlainText(expected[0]);
            MessageCatcher box;
            click(o.tab->command3(0));
            QTRY_COMPARE_WITH_TIMEOUT(o->label10()->text(), expected[2], 3000);
            QTRY_COMPARE(box.text(), expected[1]);
            QCOMPARE(text4->toPlainText().isEmpty(), &expected == &cases[1]); // kept unless posted
            QCOMPARE(o.tab->text3(0)->selectedText(), expected[1] == kAliasTaken ? s("Ann") : QString());
            QTRY_VERIFY(!o->online()->poster()->isPosting() && o->cursor().shape() == Qt::ArrowCursor);
        }
        QCOMPARE(server.requests().size(), 4); // nothing for the refused text
        const QRegularExpression post(s("^GET /cgi-bin/roamlog/roamlogdb\\.cgi\\?path=post&param=Nice%20place%26usr%3Dx")
                                      + s("&usr=Ann&mac=") + QRegularExpression::escape(o.tab->label2()->text())
                                      + s("&param2=\\d\\d-\\d\\d-20\\d\\d%20\\d\\d%3A\\d\\d%3A\\d\\d$"));
        QVERIFY2(post.match(QString::fromLatin1(server.requests().at(0))).hasMatch(), server.requests().at(0));
        QTimer* timer1 = o->findChild<QTimer*>(s("Timer1"));
        QVERIFY(timer1->isActive() && timer1->interval() == 30000);
        timer1->start(10);
        QTRY_VERIFY(o->label10()->text().isEmpty() && !timer1->isActive());
    }

    // An identifier is stored in the file and the list; an answer that is no identifier (an error
    // status here) leaves its record offered; a taken alias stops the sharing and says so. The
    // search hides no record from sharing.
    void shareStoresOnlyWhatTheServerGave()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok:A17"}, {500, "ok:X"}, {200, "tkn"}, {200, "ok:B2"}, {200, ""}}));
        Online o(server.baseUrl(), {record({{0, s("Hotel A")}, {23, s("*")}}), record({{0, s("Hotel B")}}),
                                    record({{0, s("Hotel C")}, {23, s(" ")}}), record({{0, s("Hotel D")}, {23, s("*")}})});
        o.tab->text3(0)->setText(s("Ann"));
        const QString add = s("GET /cgi-bin/roamlog/roamlogdb.cgi?mac=") + o.tab->label2()->text() + s("&usr=");
        const QString on = s(" will be visible to everyone on 127.0.0.1: place.");
        {
            MessageCatcher cancel(QMessageBox::Cancel); // Cancel in the question sends nothing
            o.clickToolbar2(1);
            QVERIFY(o->label10()->text() == s("Share cancelled: nothing was sent") && server.requests().isEmpty());
        }
        o->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
        o.type(s("SearchBox"), s("hotel b")); // shows none of the records offered, which are sent all the same
        const QStringList runs[] = {
            {s("3 records") + on, kAliasTaken,
             s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published. 1 record got an answer the program could not "
               "use and will be offered again. The alias belongs to another user, so 1 record was not shared; change the "
               "alias on the User tab and share again.")},
            {s("2 records") + on, s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published. 1 record got an answer "
                                    "the program could not use and will be offered again.")}}; // anonymous
        for (const QStringList& expected : runs) {
            o->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
            MessageCatcher boxes;
            o.clickToolbar2(1);
            QTRY_COMPARE(boxes.texts(), expected);
            QCOMPARE(o->ssTab1()->currentIndex(), expected.size() == 2 ? 0 : int(FrmScrn::UserTabIndex));
            click(o.tab->check1()); // anonymous for the second run
        }
        QCOMPARE(server.requests().at(0), (add + s("Ann&cmd=add&param=Hotel%20A%7C") + s("%7C").repeated(22) + s("%2A%7C")).toLatin1());
        QVERIFY(server.requests().last().startsWith((add + s("&cmd=add&param=Hotel%20D%7C")).toLatin1()));
        o->searchBox()->edit()->clear();
        const QString marks[] = {s("A17"), {}, s("B2"), s("*")};
        for (int row = 0; row < 4; ++row) // the file holds the marks, and the list shows them
            QVERIFY(readDatabase(o).at(row).at(23) == marks[row] && o.listRow(row).at(23) == marks[row]);
        QCOMPARE(server.requests().size(), 5);
    }

    // A server that takes a request and never answers: Cancel or Escape in the progress dialog,
    // Quit or closing the window break it off at once; its record stays offered and the answers
    // so far are saved. The share does not wait for the version check, which that server does
    // not answer either. Meanwhile the window can be worked, but the records stay as they are.
    void shareEndsAtOnceWhileTheServerIsSilent_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("Quit") << 2;
        QTest::newRow("window closed") << 3;
    }
    void shareEndsAtOnceWhileTheServerIsSilent()
    {
        QFETCH(int, how);
        LocalHttpServer server;
        server.answer([](const QByteArray& target) {
            return target.contains("Inn%20B") ? Answer{200, "ok:A1"} : Answer{0, {}, B::NeverAnswer};
        });
        const QStringList places{s("Inn B"), s("Inn A"), s("Inn C")};
        Online o(server.baseUrl(), {record({{0, places[0]}, {23, s("*")}}), record({{0, places[1]}, {23, s("*")}}),
                                    record({{0, places[2]}, {23, s("*")}})});
        o->online()->fetcher()->setTimeout(TextFetcher::kDefaultTimeoutMs);
        o->online()->CheckVersion();
        MessageCatcher boxes;
        o.clickToolbar2(1);
        QTRY_COMPARE(server.requests().size(), 3); // the version file, then two records
        auto* progress = o->findChild<QDialog*>(s("ShareProgress"));
        QTabBar* tabs = o->ssTab1()->tabBar();
        // Through the window system, which keeps the input from a window that a modal dialog blocks.
        QTest::mouseClick(o->windowHandle(), Qt::LeftButton, {}, tabs->mapTo(o.window.get(), tabs->tabRect(FrmScrn::ViewTab).center()));
        QVERIFY(progress && progress->isVisible() && o->ssTab1()->currentIndex() == FrmScrn::ViewTab);
        o.clickHeader(0);
        o.addRecord(s("Inn D"));
        QCOMPARE(o->label10()->text(), s("Sharing in progress: the records can be changed again once it has ended"));
        QCOMPARE(o.column(0), places);
        if (how == 0)
            click(progress->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel));
        else if (how == 1)
            QTest::keyClick(progress, Qt::Key_Escape);
        else if (how == 2)
            o.clickToolbar2(3);
        else
            o->close();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), how >= 2 ? 1 : 2, 1000); // quitting shows no closing message
        QTRY_COMPARE(server.abandoned(), 1); // the version check still waits
        QCOMPARE(fileColumn(o, 23), (QStringList{s("A1"), s("*"), s("*")}));
        QVERIFY(o->isVisible() == (how < 2));
        if (how >= 2)
            return;
        QCOMPARE(boxes.texts().at(1), s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published. You cancelled "
                                        "the sharing: 2 records were not shared and will be offered again."));
        QTRY_VERIFY(!o->findChild<QDialog*>(s("ShareProgress")) && o->cursor().shape() == Qt::ArrowCursor);
        o.clickHeader(0); // once it has ended, a header click sorts again
        QCOMPARE(o.column(0), (QStringList{places[2], places[0], places[1]}));
    }

    void versionLabelsAndWebPages()
    {
        LocalHttpServer server;
        server.answer(Answer{200, "101"});
        const QString closed = LocalHttpServer::closedPortUrl();
        for (const QString& url : {server.baseUrl(), closed}) {
            Online o(url);
            o->online()->CheckVersion();
            QCOMPARE(o.tab->label9(0)->text(), s("1.0.0"));
            QVERIFY(o.tab->label9(1)->text().isEmpty()); // back before the answer came
            QTRY_COMPARE(o.tab->label9(1)->text(), s(url == closed ? "Remote server not found" : "There is a new version"));
            o->mnuBrowse()->trigger();
            o->mnuForum()->trigger();
            QTest::mouseClick(o.tab->label12(), Qt::LeftButton, {}, QPoint(10, 8)); // on "Show posts"
            const QString cgi = url + s("cgi-bin/");
            QCOMPARE(o.opened, (QList<QUrl>{QUrl(cgi + s("roamlogdb.cgi?cmd=find")), QUrl(cgi + s("roamlogdb.cgi?cmd=msgs")),
                                            QUrl(cgi + s("roamlog/roamlogdb.cgi?cmd=msgs"))}));
        }
        QCOMPARE(server.requests(), QList<QByteArray>{"GET /roamlog/version.txt"}); // the browser's pages are not fetched
    }
};

QTEST_MAIN(TestOnline)
#include "test_online.moc"
