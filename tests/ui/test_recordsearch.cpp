#include "LocalHttpServer.h"
#include "TestFolder.h"
#include "test_frmscrn_support.h"
#include "online/TextFetcher.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

constexpr int Place = 0, Comments = 3, Country = 8, City = 10, UploadMark = 23;

// Four records; the cafés differ in accents and case, the marks in the hidden column.
Records fourRecords()
{
    return {record({{Place, s("Café Central")}, {City, s("Paris")}, {UploadMark, s("*")}}),
            record({{Place, s("Hotel Miramar")}, {Comments, s("Breakfast in the CAFE")}, {City, s("Lisboa")}, {UploadMark, s("*")}}),
            record({{Place, s("Zum Löwen")}, {City, s("Zürich")}, {Country, s("Switzerland")}, {UploadMark, s("83211")}}),
            record({{Place, s("Hut")}, {Comments, s("quiet room")}, {City, s("Oslo")}, {UploadMark, s("*")}})};
}

QLineEdit* searchBox(const WindowUnderTest& w) { return w->findChild<QLineEdit*>(s("SearchBox")); }
QString countLabel(const WindowUnderTest& w) { return w->findChild<QLabel*>(s("SearchCount"))->text(); }

// The Place of every record the list shows, top to bottom.
QStringList shownPlaces(const WindowUnderTest& w)
{
    QStringList places;
    for (int row = 0; row < w->listView1()->model()->rowCount(); ++row)
        places.append(w.listRow(row)[Place]);
    return places;
}

QStringList filePlaces(const TestFolder& folder)
{
    QStringList places;
    for (const QStringList& fields : readDatabase(folder))
        places.append(fields[Place]);
    return places;
}

void search(const WindowUnderTest& w, const QString& text)
{
    w.showViewTab();
    QLineEdit* box = searchBox(w);
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// Answers the next message boxes, a question with the given button and others with OK.
class Answers
{
public:
    explicit Answers(QMessageBox::StandardButton toQuestions)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [toQuestions] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAbstractButton* answer = box->button(toQuestions);
            QTest::mouseClick(answer ? answer : box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        m_timer.start(20);
    }

private:
    QTimer m_timer;
};

} // namespace

class TestRecordSearch : public QObject
{
    Q_OBJECT

private slots:
    void typedWordsFilterTheList_data();
    void typedWordsFilterTheList();
    void ctrlFFindsTheBoxAndEscapeEmptiesIt();
    void removeInAFilteredViewRemovesThatRecordOnly();
    void replaceInAFilteredViewRewritesEveryRecord();
    void shareAfterAFilteredViewOffersEveryRecord();
    void sortWhileFilteredSortsEveryRecord();
    void changedRecordsAreSearchedAsTheyAreNow();
    void filterKeepsTheModelContract();
};

void TestRecordSearch::typedWordsFilterTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("count");
    const QStringList all{s("Café Central"), s("Hotel Miramar"), s("Zum Löwen"), s("Hut")};
    QTest::newRow("nothing typed") << QString() << all << s("4 records");
    QTest::newRow("blanks only") << s("   ") << all << s("4 records");
    QTest::newRow("no accent finds accents") << s("cafe") << QStringList{s("Café Central"), s("Hotel Miramar")} << s("2 of 4 records");
    QTest::newRow("capitals and accent") << s("CAFÉ") << QStringList{s("Café Central"), s("Hotel Miramar")} << s("2 of 4 records");
    QTest::newRow("every word, any column") << s("cafe  paris") << QStringList{s("Café Central")} << s("1 of 4 records");
    QTest::newRow("umlauts") << s("zurich LOWEN") << QStringList{s("Zum Löwen")} << s("1 of 4 records");
    QTest::newRow("part of a word") << s("swi") << QStringList{s("Zum Löwen")} << s("1 of 4 records");
    QTest::newRow("one word missing") << s("hut paris") << QStringList{} << s("0 of 4 records");
    QTest::newRow("not across two columns") << s("roomoslo") << QStringList{} << s("0 of 4 records");
    QTest::newRow("the hidden mark is not searched") << s("83211") << QStringList{} << s("0 of 4 records");
}

void TestRecordSearch::typedWordsFilterTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QFETCH(QString, count);
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    QCOMPARE(countLabel(w), s("4 records"));
    search(w, typed);
    QCOMPARE(shownPlaces(w), shown);
    QCOMPARE(countLabel(w), count);
    // A screen reader finds the box by its name, and the shown rows in the table.
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(searchBox(w));
    QVERIFY(box);
    QCOMPARE(box->text(QAccessible::Name), s("Search"));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w->listView1());
    QCOMPARE(table->tableInterface()->rowCount(), int(shown.size()));
}

void TestRecordSearch::ctrlFFindsTheBoxAndEscapeEmptiesIt()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    // From the Edit tab, with the focus in the form.
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    QWidget* place = w.control(s("Text1(0)"));
    place->setFocus(Qt::TabFocusReason);
    QTest::keyClick(place, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));
    QTRY_COMPARE(QApplication::focusWidget(), searchBox(w));
    QVERIFY(w->entryForm()->text1(0).isEmpty()); // the key typed nothing into the form
    QTest::keyClicks(searchBox(w), s("hut"));
    QCOMPARE(shownPlaces(w), QStringList{s("Hut")});
    QTest::keyClick(searchBox(w), Qt::Key_Escape);
    QVERIFY(searchBox(w)->text().isEmpty());
    QCOMPARE(shownPlaces(w).size(), 4);
    QCOMPARE(countLabel(w), s("4 records"));
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));
}

void TestRecordSearch::removeInAFilteredViewRemovesThatRecordOnly()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    search(w, s("zurich"));
    QCOMPARE(shownPlaces(w), QStringList{s("Zum Löwen")});
    w.clickRow(0, Qt::LeftButton); // the third record of the store, the first shown
    QCOMPARE(w->entryForm()->text1(0), s("Zum Löwen"));
    w.chooseFromOtherMenu(0, s("mnuRemoveEntry"));
    QCOMPARE(filePlaces(folder), (QStringList{s("Café Central"), s("Hotel Miramar"), s("Hut")}));
    QVERIFY(shownPlaces(w).isEmpty());
    QCOMPARE(countLabel(w), s("0 of 3 records"));
    QTest::keyClick(searchBox(w), Qt::Key_Escape);
    QCOMPARE(shownPlaces(w), filePlaces(folder));
}

void TestRecordSearch::replaceInAFilteredViewRewritesEveryRecord()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    search(w, s("oslo"));
    w.clickRow(0, Qt::LeftButton); // Hut, the last record
    w->entryForm()->setText1(2, s("Bergen")); // its City box
    w.clickToolbar1(2);
    const Records stored = readDatabase(folder);
    QCOMPARE(stored.size(), 4);
    QCOMPARE(filePlaces(folder), (QStringList{s("Café Central"), s("Hotel Miramar"), s("Zum Löwen"), s("Hut")}));
    QCOMPARE(stored[3][City], s("Bergen"));
    QCOMPARE(stored[0][City], s("Paris"));
    // Hut no longer holds "oslo": it is hidden now, the others still are.
    QVERIFY(shownPlaces(w).isEmpty());
    QCOMPARE(countLabel(w), s("0 of 4 records"));
}

void TestRecordSearch::shareAfterAFilteredViewOffersEveryRecord()
{
    LocalHttpServer server;
    server.answer([](const QByteArray&) { return LocalHttpServer::Answer{200, "ok:7"}; });
    TestFolder folder;
    qputenv("ROAMLOG_SERVER_URL", server.baseUrl().toLatin1());
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    w->online()->fetcher()->setTimeout(1500);
    w->userTab()->text3(0)->setText(s("Ann"));
    search(w, s("paris"));
    QCOMPARE(shownPlaces(w), QStringList{s("Café Central")});
    {
        Answers answers(QMessageBox::Ok); // the Share button of the question
        w.clickToolbar2(1);
        QTRY_COMPARE(server.requests().size(), 3); // every offered record, hidden or not
    }
    QTRY_VERIFY(!QApplication::activeModalWidget());
    const Records stored = readDatabase(folder);
    QCOMPARE(stored.size(), 4);
    QCOMPARE(filePlaces(folder), (QStringList{s("Café Central"), s("Hotel Miramar"), s("Zum Löwen"), s("Hut")}));
    for (const int row : {0, 1, 3})
        QCOMPARE(stored[row][UploadMark], s("7"));
    QCOMPARE(stored[2][UploadMark], s("83211"));
}

void TestRecordSearch::sortWhileFilteredSortsEveryRecord()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    search(w, s("cafe"));
    w.clickHeader(Place); // descending
    QCOMPARE(shownPlaces(w), (QStringList{s("Hotel Miramar"), s("Café Central")}));
    w.clickRow(1, Qt::LeftButton); // Café Central
    w->entryForm()->setText1(2, s("Lyon"));
    w.clickToolbar1(2);
    // The file holds the whole sorted list, hidden records in their sorted places.
    QCOMPARE(filePlaces(folder), (QStringList{s("Zum Löwen"), s("Hut"), s("Hotel Miramar"), s("Café Central")}));
    QCOMPARE(readDatabase(folder)[3][City], s("Lyon"));
    // The prepared texts moved with their records.
    search(w, s("lowen"));
    QCOMPARE(shownPlaces(w), QStringList{s("Zum Löwen")});
    search(w, s("lyon"));
    QCOMPARE(shownPlaces(w), QStringList{s("Café Central")});
}

void TestRecordSearch::changedRecordsAreSearchedAsTheyAreNow()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    search(w, s("hotel"));
    QCOMPARE(shownPlaces(w), QStringList{s("Hotel Miramar")});
    // A record added while searching is found when it holds the words, counted in any case.
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w->entryForm()->setText1(0, s("Hôtel du Lac"));
    w.clickToolbar1(1);
    QCOMPARE(filePlaces(folder).size(), 5);
    QCOMPARE(shownPlaces(w), (QStringList{s("Hotel Miramar"), s("Hôtel du Lac")}));
    QCOMPARE(countLabel(w), s("2 of 5 records"));
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w->entryForm()->setText1(0, s("Cabin"));
    w.clickToolbar1(1);
    QCOMPARE(shownPlaces(w).size(), 2);
    QCOMPARE(countLabel(w), s("2 of 6 records"));
    // A new load replaces every prepared text.
    writeDatabase(folder, {record({{Place, s("Hotel Neu")}})});
    w->LoadDatabase();
    QCOMPARE(shownPlaces(w), QStringList{s("Hotel Neu")});
    QCOMPARE(countLabel(w), s("1 of 1 record"));
    QTest::keyClick(searchBox(w), Qt::Key_Escape);
    QCOMPARE(countLabel(w), s("1 record"));
}

void TestRecordSearch::filterKeepsTheModelContract()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    QAbstractItemModelTester tester(w->listView1()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    search(w, s("o"));
    w.clickHeader(City);
    search(w, s("c"));
    w.clickRow(0, Qt::LeftButton);
    w.chooseFromOtherMenu(0, s("mnuRemoveEntry"));
    QCOMPARE(readDatabase(folder).size(), 3);
}

QTEST_MAIN(TestRecordSearch)
#include "test_recordsearch.moc"
