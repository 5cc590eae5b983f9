#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "LocalHttpServer.h"
#include "online/TextFetcher.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/user/UserTab.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QSettings>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

namespace {

constexpr int CityBox = 2; // the Text1 box of the City column
constexpr int Place = 0, Satisfaction = 1, Type = 2, Telephone = 6, Fax = 7, Country = 8, City = 10,
              Price = 17, DateVisited = 19, Web = 21, DateModified = 22;

QStringList column(const WindowUnderTest& w, int index)
{
    QStringList texts;
    for (int row = 0; row < w->listView1()->model()->rowCount(); ++row)
        texts.append(w.listRow(row)[index]);
    return texts;
}

QStringList fileColumn(const TestFolder& folder, int index)
{
    QStringList texts;
    for (const QStringList& fields : readDatabase(folder))
        texts.append(fields[index]);
    return texts;
}

QString s(const char* text) { return QString::fromUtf8(text); }

constexpr int Comments = 3, UploadMark = 23;

// Four records; the cafés differ in accents and case, the marks in the hidden column.
Records fourRecords()
{
    return {record({{Place, s("Café Central")}, {City, s("Paris")}, {UploadMark, s("*")}}),
            record({{Place, s("Hotel Miramar")}, {Comments, s("Breakfast in the CAFE")}, {City, s("Lisboa")}, {UploadMark, s("*")}}),
            record({{Place, s("Zum Löwen")}, {City, s("Zürich")}, {Country, s("Switzerland")}, {UploadMark, s("83211")}}),
            record({{Place, s("Hut")}, {Comments, s("quiet room, Ringstraße")}, {City, s("Oslo")}, {UploadMark, s("*")}})};
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

} // namespace

class TestRecordList : public QObject
{
    Q_OBJECT

private slots:
    // The picker writes dates in the user's format: month first here.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void leftClickFillsTheFormAndCaption();
    void releaseWithoutClickDoesNothing();
    void rightClickThenReleaseOnEmptySpace();
    void noEditingInPlace();
    void headerClicksFlipOneSortOrder();
    void sortedOrderIsStoredOrder();
    void headerSortOrders_data();
    void headerSortOrders();
    void modelKeepsItsContract();
    void theKeyboardWorksTheList();
    void columnsKeepTheirWidthAndPlace();
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

void TestRecordList::leftClickFillsTheFormAndCaption()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Hotel Central")}, {Satisfaction, QStringLiteral("Excellent")},
                                   {Type, QStringLiteral("Hotel")}, {Telephone, QStringLiteral("555 1234")},
                                   {Fax, QStringLiteral("555 9999")}, {Country, QStringLiteral("Italy")},
                                   {City, QStringLiteral("Rome")}, {DateVisited, QStringLiteral("10/1/2006")},
                                   {Web, QStringLiteral("http://central.example")},
                                   {DateModified, QStringLiteral("03-07-2006 09:05:07")}}),
                           record({{Place, QStringLiteral("Hut")}})});
    WindowUnderTest w(folder);
    w->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
    w.clickRow(0, Qt::LeftButton);

    EntryForm* form = w->entryForm();
    QCOMPARE(form->text1(0), QStringLiteral("Hotel Central"));
    QCOMPARE(form->text1(10), QStringLiteral("Excellent"));
    QCOMPARE(form->combo1(3)->currentText(), QStringLiteral("Excellent"));
    QCOMPARE(form->text1(7), QStringLiteral("Hotel"));
    QCOMPARE(form->combo1(1)->currentText(), QStringLiteral("Hotel"));
    QCOMPARE(form->text1(3), QStringLiteral("555 1234"));
    QCOMPARE(form->text1(30), QStringLiteral("555 9999"));
    QCOMPARE(form->text1(1), QStringLiteral("Italy"));
    QCOMPARE(form->combo1(0)->currentText(), QStringLiteral("Italy"));
    QCOMPARE(form->text1(2), QStringLiteral("Rome"));
    QCOMPARE(form->text1(5), QStringLiteral("10/1/2006"));
    QCOMPARE(form->text1(14), QStringLiteral("http://central.example"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Hotel Central - Modified: 03-07-2006 09:05:07"));
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));

    // An empty Date Modified leaves the caption ending after " - Modified: ".
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Hut - Modified: "));
    QVERIFY(form->text1(2).isEmpty());
    QVERIFY(form->combo1(0)->currentText().isEmpty());

    // From the keyboard: Enter on the current record shows it.
    w->listView1()->setFocus();
    QTest::keyClick(w->listView1(), Qt::Key_Up);
    QTest::keyClick(w->listView1(), Qt::Key_Return);
    QCOMPARE(form->text1(0), QStringLiteral("Hotel Central"));
}

void TestRecordList::releaseWithoutClickDoesNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Inn")}})});
    WindowUnderTest w(folder);
    w->listView1()->selectRow(0); // a selection alone fills nothing
    const QPoint below(10, w->listView1()->viewport()->height() - 5);
    QTest::mouseClick(w->listView1()->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseClick(w->listView1()->viewport(), Qt::RightButton, {}, below);
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    QVERIFY(!w->tother()->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral(" Roamlog"));
}

void TestRecordList::rightClickThenReleaseOnEmptySpace()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}}), record({{Place, QStringLiteral("Beta")}})});
    WindowUnderTest w(folder);
    w.clickRow(1, Qt::RightButton);
    QTRY_VERIFY(w->tother()->isVisible());
    QCOMPARE(w->listView1()->selectedRow(), 1);
    w->tother()->hide();
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    const QPoint below(10, w->listView1()->viewport()->height() - 5);
    QTest::mouseClick(w->listView1()->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(w->entryForm()->text1(0), QStringLiteral("Beta"));
    QCOMPARE(w->listView1()->selectedRow(), 1);
}

void TestRecordList::noEditingInPlace()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Inn")}})});
    WindowUnderTest w(folder);
    RecordListView* list = w->listView1();
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    w.clickRow(0, Qt::LeftButton);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F2);
    QVERIFY(list->findChildren<QLineEdit*>().isEmpty());
    QVERIFY(!list->indexWidget(list->model()->index(0, 0)));

    // The cells reach screen readers.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    QVERIFY(table && table->tableInterface());
    QAccessibleInterface* first = table->tableInterface()->cellAt(0, 0);
    QVERIFY(first);
    QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Inn"));
}

void TestRecordList::headerClicksFlipOneSortOrder()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("b Inn")}, {City, QStringLiteral("Oslo")}, {DateVisited, QStringLiteral("9/30/2006")}}),
                           record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bergen")}, {DateVisited, QStringLiteral("10/1/2006")}}),
                           record({{Place, QStringLiteral("Cabin")}, {City, QStringLiteral("Oslo")}, {DateVisited, QStringLiteral("")}})});
    WindowUnderTest w(folder);
    const QStringList descending{QStringLiteral("Cabin"), QStringLiteral("b Inn"), QStringLiteral("Alpha")};
    const QStringList ascending{QStringLiteral("Alpha"), QStringLiteral("b Inn"), QStringLiteral("Cabin")};
    w.clickHeader(Place);
    QCOMPARE(column(w, Place), descending);
    w.clickHeader(Place);
    QCOMPARE(column(w, Place), ascending);
    w.clickHeader(Place);
    QCOMPARE(column(w, Place), descending);

    // The next header flips the one order again: City ascending, equal cities in their order.
    w.clickHeader(City);
    QCOMPARE(column(w, City), (QStringList{QStringLiteral("Bergen"), QStringLiteral("Oslo"), QStringLiteral("Oslo")}));
    QCOMPARE(column(w, Place), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Cabin"), QStringLiteral("b Inn")}));

    // Dates sort as dates, the empty one after them.
    w.clickHeader(DateVisited);
    QCOMPARE(column(w, DateVisited), (QStringList{QStringLiteral("10/1/2006"), QStringLiteral("9/30/2006"), QString()}));
    w.clickHeader(DateVisited);
    QCOMPARE(column(w, DateVisited), (QStringList{QStringLiteral("9/30/2006"), QStringLiteral("10/1/2006"), QString()}));
}

void TestRecordList::sortedOrderIsStoredOrder()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Oslo")}}),
                           record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}}),
                           record({{Place, QStringLiteral("Gamma")}, {City, QStringLiteral("Rome")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton); // Beta, selected
    w.clickHeader(Place);          // descending: Gamma, Beta, Alpha
    QCOMPARE(w->listView1()->selectedRow(), 1); // the selection follows Beta
    w->entryForm()->setText1(CityBox, QStringLiteral("Tromso"));
    w.clickToolbar1(2);
    QCOMPARE(fileColumn(folder, Place), (QStringList{QStringLiteral("Gamma"), QStringLiteral("Beta"), QStringLiteral("Alpha")}));
    QCOMPARE(fileColumn(folder, City), (QStringList{QStringLiteral("Rome"), QStringLiteral("Tromso"), QStringLiteral("Bern")}));
}

void TestRecordList::headerSortOrders_data()
{
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<QStringList>("texts");      // in file order
    QTest::addColumn<QStringList>("descending"); // after the first click
    QTest::addColumn<QStringList>("ascending");  // after the second
    const auto l = [](std::initializer_list<const char*> texts) {
        QStringList list;
        for (const char* text : texts)
            list.append(QString::fromUtf8(text));
        return list;
    };
    QTest::newRow("date visited, both formats")
        << DateVisited << l({"9/30/2006", "soon", "", "10-01-2006", "12/24/2005", "10/2/2006", "Autumn"})
        << l({"10/2/2006", "10-01-2006", "9/30/2006", "12/24/2005", "soon", "Autumn", ""})
        << l({"12/24/2005", "9/30/2006", "10-01-2006", "10/2/2006", "", "Autumn", "soon"});
    QTest::newRow("date modified, by the time too")
        << DateModified << l({"03-07-2006 09:05:07", "12-31-2005 23:59:59", "03-07-2006 10:00:00", "03-07-2006 09:05:06"})
        << l({"03-07-2006 10:00:00", "03-07-2006 09:05:07", "03-07-2006 09:05:06", "12-31-2005 23:59:59"})
        << l({"12-31-2005 23:59:59", "03-07-2006 09:05:06", "03-07-2006 09:05:07", "03-07-2006 10:00:00"});
    QTest::newRow("price by its number")
        << Price << l({"120", "ask", "9.50", "$45", "100 EUR", "", "1p:$20/4p:$60"})
        << l({"120", "100 EUR", "$45", "1p:$20/4p:$60", "9.50", "ask", ""})
        << l({"9.50", "1p:$20/4p:$60", "$45", "100 EUR", "120", "", "ask"});
    QTest::newRow("text beside its accents")
        << City << l({"Zurich", "Évora", "ecija", "Faro", "Eton", "èze"})
        << l({"Zurich", "Faro", "èze", "Évora", "Eton", "ecija"})
        << l({"ecija", "Eton", "Évora", "èze", "Faro", "Zurich"});
}

void TestRecordList::headerSortOrders()
{
    QFETCH(int, sortColumn);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, descending);
    QFETCH(QStringList, ascending);
    TestFolder folder;
    Records records;
    for (const QString& text : texts)
        records.append(record({{Place, QStringLiteral("Place %1").arg(records.size())}, {sortColumn, text}}));
    writeDatabase(folder, records);
    WindowUnderTest w(folder);
    w.clickHeader(sortColumn);
    QCOMPARE(column(w, sortColumn), descending);
    w.clickHeader(sortColumn);
    QCOMPARE(column(w, sortColumn), ascending);
    // The next rewrite stores the records in the order shown, each whole; the replaced first
    // record gets a new Date Modified.
    w.clickRow(0, Qt::LeftButton);
    w.clickToolbar1(2);
    const Records stored = readDatabase(folder);
    QCOMPARE(stored.size(), texts.size());
    for (qsizetype row = 1; row < stored.size(); ++row) {
        QCOMPARE(stored[row][sortColumn], ascending[row]);
        QCOMPARE(stored[row][sortColumn], texts[stored[row][Place].mid(6).toInt()]);
    }
    QCOMPARE(stored[0][Place], w.listRow(0)[Place]);
}

void TestRecordList::modelKeepsItsContract()
{
    TestFolder folder;
    RecordStore store(folder.path());
    RecordListModel model(store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char* name : {"Delta", "alpha", "Charlie", "bravo"}) {
        TravelRecord entry;
        entry.setField(Place, QLatin1String(name));
        QVERIFY(model.appendRecord(entry));
    }
    model.sort(Place, Qt::AscendingOrder);
    QCOMPARE(store.row(0).field(Place), QStringLiteral("alpha"));
    QCOMPARE(store.row(3).field(Place), QStringLiteral("Delta"));
    model.removeRecord(1);
    model.insertRecord(0, store.row(2));
    TravelRecord changed = store.row(0);
    changed.setField(City, QStringLiteral("Lima"));
    QVERIFY(model.replaceRecord(0, changed));
    QCOMPARE(model.index(0, City).data().toString(), QStringLiteral("Lima"));
    QCOMPARE(model.rowCount(), 4);
}

void TestRecordList::theKeyboardWorksTheList()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, s("Alpha")}}), record({{Place, s("Beta")}})});
    WindowUnderTest w(folder);
    w.showViewTab();
    // Tab from the search box reaches the list, which selects its first record at once.
    w.control(s("SearchBox"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w->listView1());
    QCOMPARE(w->listView1()->selectedRow(), 0);
    QTest::keyClick(w->listView1(), Qt::Key_Down);
    QTest::keyClick(w->listView1(), Qt::Key_Return);
    QCOMPARE(w->entryForm()->text1(0), s("Beta"));
    // The menu key opens the Other menu with its first item ready for Return.
    QTest::keyClick(w->listView1(), Qt::Key_Menu);
    QTRY_VERIFY(w->tother()->isVisible());
    QCOMPARE(w->tother()->activeAction(), w->mnuRemoveEntry());
    w->tother()->hide();
    // Tab leaves the list instead of walking its cells.
    w->listView1()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->listView1(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != w->listView1());
    // Ctrl+Return on the Edit tab replaces the record picked, and adds a new one after Clear.
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w.type(s("Text1(2)"), s("oslo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(readDatabase(folder).value(1).value(City), s("Oslo"));
    w.type(s("Text1(0)"), s("gamma"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(readDatabase(folder).size(), 3);
}

void TestRecordList::columnsKeepTheirWidthAndPlace()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, s("Alpha")}, {City, s("A city with a rather long name indeed")}})});
    int cityWidth = 0;
    {
        WindowUnderTest w(folder);
        QHeaderView* header = w->listView1()->horizontalHeader();
        const int opening = header->sectionSize(City);
        // A double click on the divider fits the column to what it holds.
        w.showViewTab();
        w->listView1()->scrollTo(w->listView1()->model()->index(0, City));
        const QPoint divider(header->sectionViewportPosition(City) + header->sectionSize(City) - 1, header->height() / 2);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, divider);
        cityWidth = header->sectionSize(City);
        QVERIFY(cityWidth > opening);
        header->moveSection(header->visualIndex(Country), 1);
        QTRY_VERIFY(!QSettings(s("Fenwary"), s("Roamlog")).value(s("ListColumns")).isNull());
    }
    WindowUnderTest w(folder);
    QHeaderView* header = w->listView1()->horizontalHeader();
    QCOMPARE(header->sectionSize(City), cityWidth);
    QCOMPARE(header->visualIndex(Country), 1);
    QVERIFY(w->listView1()->isColumnHidden(UploadMark) && !header->isSortIndicatorShown());
}

void TestRecordList::typedWordsFilterTheList_data()
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
    QTest::newRow("letters spelt out") << s("strasse") << QStringList{s("Hut")} << s("1 of 4 records");
    QTest::newRow("the second spelling") << s("zuerich") << QStringList{s("Zum Löwen")} << s("1 of 4 records");
}

void TestRecordList::typedWordsFilterTheList()
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

void TestRecordList::ctrlFFindsTheBoxAndEscapeEmptiesIt()
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

void TestRecordList::removeInAFilteredViewRemovesThatRecordOnly()
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

void TestRecordList::replaceInAFilteredViewRewritesEveryRecord()
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

void TestRecordList::shareAfterAFilteredViewOffersEveryRecord()
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
        MessageCatcher answers; // the Share button of the question is its OK
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

void TestRecordList::sortWhileFilteredSortsEveryRecord()
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

void TestRecordList::changedRecordsAreSearchedAsTheyAreNow()
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

void TestRecordList::filterKeepsTheModelContract()
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

QTEST_MAIN(TestRecordList)
#include "test_recordlist.moc"
