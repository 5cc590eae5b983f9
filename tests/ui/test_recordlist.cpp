#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
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
        << l({"120", "100 EUR", "$45", "9.50", "1p:$20/4p:$60", "ask", ""})
        << l({"1p:$20/4p:$60", "9.50", "$45", "100 EUR", "120", "", "ask"});
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

QTEST_MAIN(TestRecordList)
#include "test_recordlist.moc"
