#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/TextFetcher.h"
#include "settings/RegistrySettings.h"
#include "test_frmscrn_support.h"
#include "ui/list/RecordListModel.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QtTest>
#include <QtWidgets>

namespace {
using Answer = LocalHttpServer::Answer;
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
QString boxAfterClicking(QWidget* button) // the text of the first message box the click showed, "" for none
{
    MessageCatcher box;
    click(button);
    return box.text();
}
LocalHttpServer::Script inTurn(QList<Answer> answers)
{
    return [answers](const QByteArray&) mutable { return answers.isEmpty() ? Answer{} : answers.takeFirst(); };
}

} // namespace

class TestOnline : public QObject
{
    Q_OBJECT
private slots:
    void userInformationIsStored()
    {
        Online o(LocalHttpServer::closedPortUrl());
        for (const QString& alias : {s("Ann "), QString()}) { // blanks kept; an emptied box stores ""
            o.tab->text3(0)->clear();
            o.type(s("Text3(0)"), alias);
            QTest::keyClick(o.tab->text3(0), Qt::Key_Tab);
            QCOMPARE(o.setting("200"), alias);
        }
        for (int clicks = 0; clicks < 2; ++clicks)
            click(o.tab->check1());
        QVERIFY(o.tab->check1()->isChecked() && o.setting("202") == u"1");
    }

    void sendSuggestion()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok"}, {0, {}, LocalHttpServer::Behaviour::NeverAnswer}, {500, "<p>error</p>"},
                              {200, "tkn"}}));
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
        QCOMPARE(boxAfterClicking(o.tab->command3(0)), s("You need to chose a Name/Alias to post"));
        QCOMPARE(o->focusWidget(), o.tab->text3(0));
        o.tab->text3(0)->setText(s("Ann"));
        const QString cases[][3] = {{s("see www.x.org"), {}, s("Invalid text found: www.x.org message not posted")},
                                    {s("Nice place&usr=x"), s("Message posted. Thank You!!"), s("Message posted. Thank you")},
                                    {s("Nice"), {}, s("Message not posted: no reply from the server")},
                                    {s("Nice"), {}, s("Message not posted: the server did not accept it")},
                                    {s("Nice"), kAliasTaken, s("Message not posted: the alias belongs to another user")}};
        for (const auto& expected : cases) {
            text4->setPlainText(expected[0]);
            QCOMPARE(boxAfterClicking(o.tab->command3(0)), expected[1]);
            QCOMPARE(o->label10()->text(), expected[2]);
            QCOMPARE(text4->toPlainText().isEmpty(), &expected == &cases[1]); // kept unless posted
            QCOMPARE(o.tab->text3(0)->selectedText(), expected[1] == kAliasTaken ? s("Ann") : QString());
            QVERIFY(!QApplication::overrideCursor());
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

    void shareSendsMarkedRecordsAndRewritesTheFile()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok:A17|x"}, {200, "ban"}, {500, "<p>error</p>"}, {200, "tkn"}, {200, "ok-B2"}}));
        Online o(server.baseUrl(), {record({{0, s("Hotel A")}, {23, s("*")}}), record({{0, s("Hotel B")}}),
                                    record({{0, s("Hotel C")}, {23, s(" ")}}), record({{0, s("Hotel D")}, {23, s("*")}})});
        o.tab->text3(0)->setText(s("Ann"));
        const QString add = s("GET /cgi-bin/roamlog/roamlogdb.cgi?mac=") + o.tab->label2()->text() + s("&usr=");
        const QString runs[][3] = {{s("Posted 2 items. \r\n\r\nThank you!"), {}, s("Ann")}, // with the alias, then:
                                   {kAliasTaken, s("Posted 0 items. \r\n\r\n"), {}}, // anonymous; D stays offered
                                   {s("Posted 1 items. \r\n\r\nThank you!"), {}, {}}};
        QSignalSpy repaint(o->recordModel(), &QAbstractItemModel::dataChanged);
        for (const auto& expected : runs) {
            o->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
            MessageCatcher box;
            o.clickToolbar2(1);
            QTRY_COMPARE(box.count(), expected[1].isEmpty() ? 1 : 2);
            QCOMPARE(box.text(), expected[0]);
            QCOMPARE(o->ssTab1()->currentIndex(), expected[1].isEmpty() ? 0 : int(FrmScrn::UserTabIndex));
            QVERIFY(server.requests().last().startsWith((add + expected[2] + s("&cmd=add&param=Hotel%20D%7C")).toLatin1()));
            if (o.tab->check1()->isChecked())
                continue;
            QCOMPARE(o->label10()->text(), s("Done > uploaded 2 items"));
            QCOMPARE(server.requests().at(0),
                     (add + s("Ann&cmd=add&param=Hotel%20A%7C") + s("%7C").repeated(22) + s("%2A%7C")).toLatin1());
            const QString marks[] = {s("A17"), {}, s("x 3-") + QDate::currentDate().toString(u"yyMMdd"), s("*")};
            for (int row = 0; row < 4; ++row) // the file holds the marks, and the list shows them
                QVERIFY(readDatabase(o).at(row).at(23) == marks[row] && o.listRow(row).at(23) == marks[row]);
            QCOMPARE(repaint.size(), 2);
            click(o.tab->check1());
        }
        QVERIFY(server.requests().size() == 5 && readDatabase(o).at(3).at(23) == u"B2");
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
