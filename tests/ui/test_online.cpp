#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "online/TextFetcher.h"
#include "settings/RegistrySettings.h"
#include "store/LineCodec.h"
#include "test_frmscrn_support.h"
#include "ui/list/RecordListModel.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QtTest>
#include <QtWidgets>

using Answer = LocalHttpServer::Answer;
Q_DECLARE_METATYPE(Answer)

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
QString boxAfterClicking(QWidget* button) // the text of the first message box the click showed, "" for none
{
    MessageCatcher box;
    click(button);
    return box.text();
}
// Answers every message box shown while it lives, a question with the given button and any
// other box with OK, and keeps their texts in the order they came.
class Boxes
{
public:
    explicit Boxes(QMessageBox::StandardButton toQuestions = QMessageBox::Ok)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, toQuestions] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts << box->text();
            QAbstractButton* answer = box->button(toQuestions);
            click(answer ? answer : box->button(QMessageBox::Ok));
        });
        m_timer.start(20);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

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
    }

    // "Post anonymously" toggles with each click or Space and keeps its state for the next run.
    void anonymousChoiceCanBeCleared()
    {
        TestFolder folder;
        qputenv("ROAMLOG_SERVER_URL", LocalHttpServer::closedPortUrl().toLatin1());
        for (const bool expected : {true, false, true, false}) {
            WindowUnderTest o(folder);
            QCheckBox* check1 = o->userTab()->check1();
            o->ssTab1()->setCurrentIndex(FrmScrn::UserTabIndex);
            QCOMPARE(check1->isChecked(), !expected); // as the last run left it
            if (expected) {
                click(check1);
            } else {
                check1->setFocus(Qt::TabFocusReason);
                QTest::keyClick(check1, Qt::Key_Space);
            }
            QCOMPARE(check1->isChecked(), expected);
            QCOMPARE(RegistrySettings::GetRegistryValue(RegistrySettings::Root::CurrentUser, o->values().registryKeyPath,
                                                        s("202")),
                     expected ? s("1") : s("0"));
        }
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
        const QString on = s(" will be visible to everyone on 127.0.0.1: place.");
        const QStringList runs[] = {
            // with the alias: A gets its identifier, C is refused, D's error page is no answer
            {s("3 records") + on, s("Posted 2 items. \r\n\r\nThank you!\r\n\r\n1 record was published. 1 record was refused by "
                                    "the server. 1 record got an answer the program could not use and will be offered again.")},
            // anonymous; D stays offered
            {s("1 record") + on, kAliasTaken,
             s("Posted 0 items. \r\n\r\nThe alias belongs to another user, so 1 record was not shared; change the alias on "
               "the User tab and share again.")},
            {s("1 record") + on, s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published.")}};
        QSignalSpy repaint(o->recordModel(), &QAbstractItemModel::dataChanged);
        for (const QStringList& expected : runs) {
            o->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
            Boxes boxes;
            o.clickToolbar2(1);
            QTRY_COMPARE(boxes.texts, expected);
            QCOMPARE(o->ssTab1()->currentIndex(), expected.size() == 2 ? 0 : int(FrmScrn::UserTabIndex));
            const QString user = &expected == &runs[1] ? QString() : s("Ann"); // anonymous in the second run
            QVERIFY(server.requests().last().startsWith((add + user + s("&cmd=add&param=Hotel%20D%7C")).toLatin1()));
            click(o.tab->check1()); // anonymous for the second run, the alias again for the third
            if (&expected != &runs[0])
                continue;
            QCOMPARE(o->label10()->text(), s("Done > uploaded 2 items"));
            QCOMPARE(server.requests().at(0),
                     (add + s("Ann&cmd=add&param=Hotel%20A%7C") + s("%7C").repeated(22) + s("%2A%7C")).toLatin1());
            const QString marks[] = {s("A17"), {}, s("x 3-") + QDate::currentDate().toString(u"yyMMdd"), s("*")};
            for (int row = 0; row < 4; ++row) // the file holds the marks, and the list shows them
                QVERIFY(readDatabase(o).at(row).at(23) == marks[row] && o.listRow(row).at(23) == marks[row]);
            QCOMPARE(repaint.size(), 2);
        }
        QVERIFY(server.requests().size() == 5 && readDatabase(o).at(3).at(23) == u"B2");
    }

    // The question names the fields that will become public; Cancel sends and changes nothing.
    void shareAsksFirst()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok:1"}, {200, "ok:2"}}));
        Online o(server.baseUrl(), {record({{0, s("Inn")}, {6, s("555")}, {23, s("*")}}), record({{0, s("Bar")}, {20, s("a@b.c")}}),
                                    record({{3, s("Nice")}, {15, s("Eve")}, {23, s("*")}})});
        const QByteArray before = o.read(s("Roamlog.ppd"));
        const QString question = s("2 records will be visible to everyone on 127.0.0.1: place, comments, telephone, recommended by.");
        {
            Boxes boxes(QMessageBox::Cancel);
            o.clickToolbar2(1);
            QTRY_COMPARE(boxes.texts, QStringList{question});
            QTest::qWait(100); // time for a request or a closing message that must not come
            QCOMPARE(boxes.texts, QStringList{question});
        }
        QVERIFY(server.requests().isEmpty() && o.read(s("Roamlog.ppd")) == before);
        QCOMPARE(o->label10()->text(), s("Share cancelled: nothing was sent"));
        QCOMPARE(o.listRow(0).at(23), s("*"));
        Boxes boxes(QMessageBox::Ok); // the Share button
        o->mnuShare()->trigger();
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts.at(0), question);
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(readDatabase(o).at(2).at(23), s("2"));
    }

    // Cancel in the progress dialog stops the sharing after the request in flight; what was
    // answered is saved.
    void shareProgressCancel()
    {
        LocalHttpServer server;
        Online o(server.baseUrl(), Records(4, record({{0, s("Inn")}, {23, s("*")}})));
        QStringList shown;
        server.answer([&](const QByteArray&) {
            auto* progress = o->findChild<QProgressDialog*>(s("ShareProgress"));
            shown << (progress && progress->isVisible() && progress->isModal() ? progress->labelText() : s("no progress"));
            if (progress)
                click(progress->findChild<QPushButton*>());
            return Answer{200, "ok:A1"};
        });
        Boxes boxes;
        o.clickToolbar2(1);
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(shown, QStringList{s("record 1 of 4")});
        QCOMPARE(boxes.texts.at(1), s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published. You cancelled the "
                                      "sharing: 3 records were not sent and will be offered again."));
        const Records stored = readDatabase(o);
        QCOMPARE(stored.size(), 4);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(stored.at(row).at(23), row == 0 ? s("A1") : s("*"));
        QVERIFY(!o->findChild<QProgressDialog*>(s("ShareProgress")) && !QApplication::overrideCursor());
    }

    // Replies that are no answer: the file keeps its marks (and its bytes when nothing was
    // posted), and the closing message says what happened. An empty answer list: the server
    // takes the connection and never answers.
    void shareFailures_data()
    {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("message");
        const QStringList offered{s("*"), s("*"), s("*")};
        const QString waiting = s("Posted 0 items. \r\n\r\nThe server did not answer, so 3 records still wait to be shared.");
        const QString unusable = s("Posted 0 items. \r\n\r\n3 records got an answer the program could not use and will be "
                                   "offered again.");
        const Answer silent{0, {}, LocalHttpServer::Behaviour::NeverAnswer};
        // clang-format off
        QTest::newRow("cut off") << QList<Answer>{{200, "ok:12", LocalHttpServer::Behaviour::Normal, 50}} << 1 << offered << waiting;
        QTest::newRow("reset") << QList<Answer>{{200, "ok:12", LocalHttpServer::Behaviour::Reset, 50}} << 1 << offered << waiting;
        QTest::newRow("silent") << QList<Answer>{silent} << 1 << offered << waiting;
        QTest::newRow("ok, then silent") << QList<Answer>{{200, "ok:A1"}, silent} << 2 << QStringList{s("A1"), s("*"), s("*")}
            << s("Posted 1 items. \r\n\r\nThank you!\r\n\r\n1 record was published. The server did not answer, so 2 records "
                 "still wait to be shared.");
        QTest::newRow("offered marks") << QList<Answer>{{200, "ok:*"}, {200, "ok: "}, {200, "ok:|7"}} << 3 << offered << unusable;
        QTest::newRow("blank") << QList<Answer>{{200, "ok:   "}, {200, "ok"}, {200, "ok:\r\n7"}} << 3 << offered << unusable;
        // clang-format on
    }
    void shareFailures()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(int, requests);
        QFETCH(QStringList, marks);
        QFETCH(QString, message);
        LocalHttpServer server;
        server.answer(inTurn(answers));
        Online o(server.baseUrl(), Records(3, record({{0, s("Inn")}, {23, s("*")}})));
        o->online()->fetcher()->setTimeout(300);
        const QByteArray before = o.read(s("Roamlog.ppd"));
        Boxes boxes;
        o.clickToolbar2(1);
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts.at(1), message);
        QCOMPARE(server.requests().size(), requests);
        for (int row = 0; row < 3; ++row)
            QVERIFY(readDatabase(o).at(row).at(23) == marks.at(row) && o.listRow(row).at(23) == marks.at(row));
        if (!message.contains(s("Thank you!")))
            QCOMPARE(o.read(s("Roamlog.ppd")), before);
    }

    // A record that fills a stored line exactly cannot take a longer mark: it stays offered,
    // is not counted, and the message says so.
    void shareMarkThatCannotBeStored()
    {
        LocalHttpServer server;
        server.answer(inTurn({{200, "ok:AB"}, {200, "ok:C"}, {200, "ok:D"}}));
        const QString full(LineCodec::kMaxEncodableLength - 2 - 24 - 1, u'c');
        Online o(server.baseUrl(), {record({{3, full}, {23, s("*")}}), record({{0, s("Inn")}, {23, s("*")}}),
                                    record({{0, s("Bar")}, {23, s("*")}})});
        Boxes boxes;
        o.clickToolbar2(1);
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts.at(1), s("Posted 2 items. \r\n\r\nThank you!\r\n\r\n2 records were published. 1 record got an answer "
                                      "that could not be stored and will be offered again."));
        const Records stored = readDatabase(o);
        QVERIFY(stored.size() == 3 && stored.at(0).at(3) == full);
        QCOMPARE((QStringList{stored.at(0).at(23), stored.at(1).at(23), stored.at(2).at(23)}), (QStringList{s("*"), s("C"), s("D")}));
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
