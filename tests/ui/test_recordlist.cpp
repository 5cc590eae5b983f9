// The record list: clicks and keys that show a record, header clicks that sort it, columns
// that stay as the user left them, and the search above it.
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/widgets/ScreenReader.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

constexpr int Place = 0, Comments = 3, Country = 8, City = 10, Price = 17, DateVisited = 19, DateModified = 22,
              UploadMark = 23;

// Four records; the cafés differ in accents and case, the marks in the hidden column.
Records fourRecords()
{
    return {record({{Place, s("Café Central")}, {City, s("Paris")}, {UploadMark, s("*")}}),
            record({{Place, s("Hotel Miramar")}, {Comments, s("Breakfast in the CAFE")}, {City, s("Lisboa")}, {UploadMark, s("*")}}),
            record({{Place, s("Zum Löwen")}, {City, s("Zürich")}, {Country, s("Switzerland")}, {UploadMark, s("83211")}}),
            record({{Place, s("Hut")}, {Comments, s("quiet room, Ringstraße")}, {City, s("Oslo")}, {UploadMark, s("*")}})};
}

QString countLabel(const WindowUnderTest& w) { return w->findChild<QLabel*>(s("SearchCount"))->text(); }

void search(const WindowUnderTest& w, const QString& text)
{
    w.showViewTab();
    w->findChild<QLineEdit*>(s("SearchBox"))->clear();
    w.type(s("SearchBox"), text);
}

} // namespace

class TestRecordList : public QObject
{
    Q_OBJECT

private slots:
    // Dates are read in the user's format: month first here.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void clickingARecordFillsTheFormAndCaption();
    void onlyAClickOnARecordFillsTheForm();
    void theKeyboardWorksTheList();
    void headerClicksFlipOneSortOrder();
    void headerSortOrders_data();
    void headerSortOrders();
    void columnsKeepTheirWidthAndPlace();
    void screenReadersSeeTheRowsOnScreen();
    void typedWordsFilterTheList_data();
    void typedWordsFilterTheList();
    void commandsInAFilteredViewActOnTheirRecord();
    void changedRecordsAreSearchedAsTheyAreNow();
};

void TestRecordList::clickingARecordFillsTheFormAndCaption()
{
    TestFolder folder;
    // Every column holds its own text, so that a value in the wrong box shows.
    QStringList full = record({});
    for (int column = 0; column < 22; ++column)
        full[column] = s("v%1").arg(column);
    full[DateModified] = s("03-07-2006 09:05:07");
    writeDatabase(folder, {full, record({{Place, s("Hut")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    EntryForm* form = w->entryForm();
    for (int column = 0; column < 22; ++column)
        QCOMPARE(form->text1(EntryCommands::text1ForColumn(column)), full[column]);
    // The boxes the user reads show their own columns.
    for (const auto& [caption, column] : {std::pair{"Telephone", 6}, {"Tel Code", 5}, {"Country", 8}, {"City", 10},
                                          {"State/Province", 9}, {"Date visited", 19}, {"Web", 21}, {"Email", 20}}) {
        QWidget* box = nullptr;
        for (QLabel* label : form->findChildren<QLabel*>())
            box = label->text() == s(caption) ? label->buddy() : box;
        QCOMPARE(box->property(qobject_cast<QComboBox*>(box) ? "currentText" : "text").toString(), full[column]);
    }
    QCOMPARE(w->windowTitle(), s("Roamlog@: v0 - Modified: 03-07-2006 09:05:07"));
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));
    // An empty Date Modified leaves the caption ending after " - Modified: ".
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), s("Roamlog@: Hut - Modified: "));
    QVERIFY(form->text1(2).isEmpty() && form->combo1(0)->currentText().isEmpty());
}

void TestRecordList::onlyAClickOnARecordFillsTheForm()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, s("Alpha")}}), record({{Place, s("Beta")}})});
    WindowUnderTest w(folder);
    RecordListView* list = w->listView1();
    w.showViewTab();
    // A selection alone, or a release below the records, fills nothing.
    list->selectRow(0);
    const QPoint below(10, list->viewport()->height() - 5);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, below);
    QVERIFY(w->entryForm()->text1(0).isEmpty() && !w->tother()->isVisible());
    // A right click selects its record; a left release on empty space then shows it.
    w.clickRow(1, Qt::RightButton);
    QTRY_VERIFY(w->tother()->isVisible());
    w->tother()->hide();
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(w->entryForm()->text1(0), s("Beta"));
    // The list is never edited in place.
    const QPoint cell = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTest::keyClick(list, Qt::Key_F2);
    QVERIFY(list->findChildren<QLineEdit*>().isEmpty());
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
    QTest::keyClick(w->listView1(), Qt::Key_Enter, Qt::KeypadModifier); // the keypad's Enter as Return
    QCOMPARE(w->entryForm()->text1(0), s("Alpha"));
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
    // Back from the keyboard with nothing selected, it selects its current record, not the first.
    w->listView1()->clearSelection();
    w->listView1()->setFocus(Qt::BacktabFocusReason);
    QCOMPARE(w->listView1()->selectedRow(), 1);
    // Ctrl+Return on the Edit tab replaces the record picked, and adds a new one after that.
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w.type(s("Text1(2)"), s("oslo"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(fileColumn(folder, City), (QStringList{QString(), s("Oslo")}));
    w.type(s("Text1(0)"), s("gamma"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(fileColumn(folder, Place), (QStringList{s("Alpha"), s("Beta"), s("Gamma")}));
}

void TestRecordList::headerClicksFlipOneSortOrder()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, s("Beta")}, {City, s("Oslo")}}), record({{Place, s("alpha")}, {City, s("Bergen")}}),
                           record({{Place, s("Cabin")}, {City, s("Oslo")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton); // Beta, selected
    const QStringList descending{s("Cabin"), s("Beta"), s("alpha")};
    w.clickHeader(Place);
    QCOMPARE(w.column(Place), descending);
    QCOMPARE(w->listView1()->selectedRow(), 1); // the selection follows its record
    w.clickHeader(Place);
    QCOMPARE(w.column(Place), (QStringList{s("alpha"), s("Beta"), s("Cabin")}));
    w.clickHeader(Place);
    QCOMPARE(w.column(Place), descending);
    // The next header flips the one order again: City ascending, equal cities in their order.
    w.clickHeader(City);
    QCOMPARE(w.column(Place), (QStringList{s("alpha"), s("Cabin"), s("Beta")}));
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
            list.append(s(text));
        return list;
    };
    QTest::newRow("date visited, both formats")
        << DateVisited << l({"9/30/2006", "soon", "", "10-01-2006", "12/24/2005", "10/2/2006", "Autumn"})
        << l({"10/2/2006", "10-01-2006", "9/30/2006", "12/24/2005", "soon", "Autumn", ""})
        << l({"12/24/2005", "9/30/2006", "10-01-2006", "10/2/2006", "", "Autumn", "soon"});
    QTest::newRow("date modified, by the time too")
        << DateModified << l({"03-07-2006 09:05:07", "12-31-2005 23:59:59", "03-07-2006 10:00:00"})
        << l({"03-07-2006 10:00:00", "03-07-2006 09:05:07", "12-31-2005 23:59:59"})
        << l({"12-31-2005 23:59:59", "03-07-2006 09:05:07", "03-07-2006 10:00:00"});
    QTest::newRow("price by its amount")
        << Price << l({"120", "ask", "9.50", "$45", "", "1p:$20/4p:$60"})
        << l({"120", "$45", "1p:$20/4p:$60", "9.50", "ask", ""})
        << l({"9.50", "1p:$20/4p:$60", "$45", "120", "", "ask"});
    QTest::newRow("letter case ignored, equal texts in their order")
        << City << l({"oslo", "Bergen", "Oslo"}) << l({"oslo", "Oslo", "Bergen"}) << l({"Bergen", "oslo", "Oslo"});
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
        records.append(record({{Place, s("Place %1").arg(records.size())}, {sortColumn, text}}));
    writeDatabase(folder, records);
    WindowUnderTest w(folder);
    w.clickHeader(sortColumn);
    QCOMPARE(w.column(sortColumn), descending);
    w.clickHeader(sortColumn);
    QCOMPARE(w.column(sortColumn), ascending);
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

// A screen reader meets the header and the rows on screen, each of its shown cells, however
// many records there are, and follows the list as it scrolls; the table reaches every cell.
void TestRecordList::screenReadersSeeTheRowsOnScreen()
{
    TestFolder folder;
    Records records;
    for (int row = 0; row < 3000; ++row)
        records.append(record({{Place, s("Place %1").arg(row)}, {City, s("City %1").arg(row)}}));
    writeDatabase(folder, records);
    WindowUnderTest w(folder);
    w.showViewTab();
    RecordListView* list = w->listView1();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(list);
    const int onScreen = list->viewport()->height() / list->rowHeight(0) + 2; // and the header
    QVERIFY(face->childCount() > 2 && face->childCount() <= onScreen);
    QCOMPARE(face->child(0)->child(0)->text(QAccessible::Name), s("Place"));
    QCOMPARE(face->child(1)->childCount(), 24); // every column but the hidden mark
    QCOMPARE(face->child(2)->child(0)->text(QAccessible::Name), s("Place 1"));
    QAccessibleInterface* far = face->tableInterface()->cellAt(2999, 0);
    QVERIFY(far->text(QAccessible::Name) == s("Place 2999") && far->tableCellInterface()->rowIndex() == 2999);
    // Moved columns are read where they stand; the arrows announce the cell reached.
    static QStringList heard;
    ScreenReader::setListener([](QAccessibleEvent* event) { heard.append(event->accessibleInterface()->text(QAccessible::Name)); });
    list->horizontalHeader()->moveSection(list->horizontalHeader()->visualIndex(City), 0);
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Home);
    ScreenReader::setListener(nullptr);
    QVERIFY(heard.contains(s("City 2999")));
    QVERIFY(face->childCount() > 2 && face->childCount() <= onScreen);
    QAccessibleInterface* last = face->child(face->childCount() - 1);
    QCOMPARE(last->child(1)->text(QAccessible::Name), s("Place 2999"));
    QVERIFY(face->indexOfChild(last) == face->childCount() - 1 && face->focusChild() == last->child(0));
}

void TestRecordList::typedWordsFilterTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("count");
    const QStringList all{s("Café Central"), s("Hotel Miramar"), s("Zum Löwen"), s("Hut")};
    QTest::newRow("nothing typed") << QString() << all << s("4 records");
    QTest::newRow("no accent finds accents") << s("cafe") << QStringList{s("Café Central"), s("Hotel Miramar")} << s("2 of 4 records");
    QTest::newRow("typed capitals and accents fold too") << s("CAFÉ") << QStringList{s("Café Central"), s("Hotel Miramar")} << s("2 of 4 records");
    QTest::newRow("every word, any column") << s("cafe  paris") << QStringList{s("Café Central")} << s("1 of 4 records");
    QTest::newRow("one word missing") << s("hut paris") << QStringList{} << s("0 of 4 records");
    QTest::newRow("not across two columns") << s("ringstrasseoslo") << QStringList{} << s("0 of 4 records");
    QTest::newRow("the hidden mark is not searched") << s("83211") << QStringList{} << s("0 of 4 records");
    QTest::newRow("letters spelt out") << s("strasse") << QStringList{s("Hut")} << s("1 of 4 records");
}

void TestRecordList::typedWordsFilterTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QFETCH(QString, count);
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    search(w, typed);
    QCOMPARE(w.column(Place), shown);
    QCOMPARE(countLabel(w), count);
}

void TestRecordList::commandsInAFilteredViewActOnTheirRecord()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    // Both models keep their contract through it all.
    QAbstractItemModelTester records(w->recordModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester shown(w->listView1()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Replace of the record shown first, the last of the store: every record is rewritten.
    search(w, s("oslo"));
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(2, s("Bergen"));
    w.clickToolbar1(2);
    QCOMPARE(fileColumn(folder, City), (QStringList{s("Paris"), s("Lisboa"), s("Zürich"), s("Bergen")}));
    QCOMPARE(countLabel(w), s("0 of 4 records"));
    // A sort sorts every record, hidden ones in their sorted places.
    search(w, s("cafe"));
    w.clickHeader(Place);
    QCOMPARE(w.column(Place), (QStringList{s("Hotel Miramar"), s("Café Central")}));
    QCOMPARE(fileColumn(folder, Place), (QStringList{s("Café Central"), s("Hotel Miramar"), s("Zum Löwen"), s("Hut")}));
    w.clickRow(1, Qt::LeftButton);
    w.chooseFromOtherMenu(1, s("mnuRemoveEntry"));
    QCOMPARE(fileColumn(folder, Place), (QStringList{s("Zum Löwen"), s("Hut"), s("Hotel Miramar")}));
    QCOMPARE(countLabel(w), s("1 of 3 records"));
    // The prepared texts moved with their records.
    search(w, s("lowen"));
    QCOMPARE(w.column(Place), QStringList{s("Zum Löwen")});
    w.addRecord(s("Olive Grove"));
}

void TestRecordList::changedRecordsAreSearchedAsTheyAreNow()
{
    TestFolder folder;
    writeDatabase(folder, fourRecords());
    WindowUnderTest w(folder);
    // Ctrl+F in the form reaches the search box, typing nothing into the form.
    QTest::keyClick(w.control(s("Text1(0)")), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::ViewTab));
    QTRY_COMPARE(QApplication::focusWidget(), w.control(s("SearchBox")));
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    QTest::keyClicks(QApplication::focusWidget(), s("hotel"));
    // A record added while searching is found when it holds the words, counted in any case.
    w.addRecord(s("Hôtel du Lac"));
    w.addRecord(s("Cabin"));
    QCOMPARE(w.column(Place), (QStringList{s("Hotel Miramar"), s("Hôtel Du Lac")}));
    QCOMPARE(countLabel(w), s("2 of 6 records"));
    // Escape in the box shows every record again.
    w.showViewTab();
    w.control(s("SearchBox"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(countLabel(w), s("6 records"));
    search(w, s("hotel"));
    // A new load replaces every prepared text.
    writeDatabase(folder, {record({{Place, s("Hotel Neu")}})});
    w->LoadDatabase();
    QCOMPARE(w.column(Place), QStringList{s("Hotel Neu")});
    QCOMPARE(countLabel(w), s("1 of 1 record"));
}

QTEST_MAIN(TestRecordList)
#include "test_recordlist.moc"
