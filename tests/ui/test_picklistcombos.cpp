// The pick-list combo boxes: completion from their lists, picking, the Country box's Tel Code,
// and the hidden field of each box kept in step.
#include "test_entryform_support.h"

#include "TestFolder.h"
#include "store/PickLists.h"

#include <QAbstractItemView>

class TestPickListCombos : public QObject
{
    Q_OBJECT

private slots:
    void typingCompletesFromTheList();
    void completionStartsOnlyInAnEmptyBox();
    void pickingACountryFillsTelCode();
    void typedCountryFindsItsCodeOrKeepsTelCode();
    void leavingABoxCopiesOrEmptiesItsField();
    void leavingTakesAnEntryThatDiffersOnlyInCase_data();
    void leavingTakesAnEntryThatDiffersOnlyInCase();
};

namespace {

PickLists sampleLists()
{
    PickLists lists;
    lists.lists[0] = QStringList{QStringLiteral("France"), QStringLiteral("Germany"), QStringLiteral("Italy")};
    lists.telephoneCodes = QStringList{QStringLiteral("33"), QStringLiteral("49"), QStringLiteral("39")};
    lists.lists[1] = QStringList{QStringLiteral("Hotel"), QStringLiteral("Hostel")};
    lists.lists[3] = QStringList{QStringLiteral("Excellent"), QStringLiteral("Good"), QStringLiteral("Poor")};
    lists.lists[4] = QStringList{QStringLiteral("New York prices")};
    return lists;
}

QString selected(QComboBox* combo)
{
    return combo->lineEdit()->selectedText();
}

} // namespace

void TestPickListCombos::typingCompletesFromTheList()
{
    TestFolder folder;
    FormWindow w;
    w.form->LoadPickLists(sampleLists());
    QComboBox* type = w.combo(1);
    w.enter(type);
    typeText(type, QStringLiteral("h"));
    QCOMPARE(type->currentText(), QStringLiteral("Hotel"));
    QCOMPARE(selected(type), QStringLiteral("otel"));
    typeText(type, QStringLiteral("o"));
    QCOMPARE(type->currentText(), QStringLiteral("Hotel"));
    QCOMPARE(selected(type), QStringLiteral("tel"));
    typeText(type, QStringLiteral("s"));
    QCOMPARE(type->currentText(), QStringLiteral("Hostel"));
    QCOMPARE(selected(type), QStringLiteral("tel"));
    typeText(type, QStringLiteral("x"));
    QCOMPARE(type->currentText(), QStringLiteral("Hosx"));
    QCOMPARE(w.form->text1(7), QStringLiteral("Hosx"));

    // A capital typed into the empty box is shifted like a small letter and finds nothing.
    type->clearEditText();
    typeText(type, QStringLiteral("H"));
    QCOMPARE(type->currentText(), QStringLiteral("H"));

    // Country: the first letter completes, later ones are compared as capitals.
    QComboBox* country = w.combo(0);
    w.enter(country);
    typeText(country, QStringLiteral("f"));
    QCOMPARE(country->currentText(), QStringLiteral("France"));
    QCOMPARE(selected(country), QStringLiteral("rance"));
    typeText(country, QStringLiteral("r"));
    QCOMPARE(country->currentText(), QStringLiteral("Fr"));

    // Blanks take no part: completion stops at the first one.
    QComboBox* cost = w.combo(4);
    w.enter(cost);
    typeText(cost, QStringLiteral("new"));
    QCOMPARE(cost->currentText(), QStringLiteral("New York prices"));
    QCOMPARE(selected(cost), QStringLiteral(" York prices"));
    typeText(cost, QStringLiteral(" y"));
    QCOMPARE(cost->currentText(), QStringLiteral("New y"));

    // A box with an empty list takes every key as typed.
    QComboBox* stars = w.combo(6);
    w.enter(stars);
    typeText(stars, QStringLiteral("abc"));
    QCOMPARE(stars->currentText(), QStringLiteral("abc"));
}

void TestPickListCombos::completionStartsOnlyInAnEmptyBox()
{
    TestFolder folder;
    FormWindow w;
    w.form->LoadPickLists(sampleLists());
    w.form->setText1(10, QStringLiteral("Excellent"));
    QComboBox* satisfaction = w.combo(3);
    w.enter(satisfaction);
    satisfaction->lineEdit()->selectAll();
    typeText(satisfaction, QStringLiteral("g"));
    QCOMPARE(satisfaction->currentText(), QStringLiteral("g"));
    typeText(satisfaction, QStringLiteral("o"));
    QCOMPARE(satisfaction->currentText(), QStringLiteral("go"));

    // Once emptied, the next key completes again.
    satisfaction->lineEdit()->selectAll();
    QTest::keyClick(satisfaction, Qt::Key_Backspace);
    typeText(satisfaction, QStringLiteral("g"));
    QCOMPARE(satisfaction->currentText(), QStringLiteral("Good"));
}

void TestPickListCombos::pickingACountryFillsTelCode()
{
    TestFolder folder;
    FormWindow w;
    w.form->LoadPickLists(sampleLists());
    QComboBox* country = w.combo(0);
    w.enter(country);
    country->showPopup();
    QAbstractItemView* view = country->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect third = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
    QCOMPARE(country->currentText(), QStringLiteral("Italy"));
    QCOMPARE(w.form->text1(1), QStringLiteral("Italy"));
    QCOMPARE(w.form->text1(13), QStringLiteral("39"));

    // Picking by the keyboard does the same.
    QTest::keyClick(country, Qt::Key_Up);
    QCOMPARE(w.form->text1(1), QStringLiteral("Germany"));
    QCOMPARE(w.form->text1(13), QStringLiteral("49"));
}

void TestPickListCombos::typedCountryFindsItsCodeOrKeepsTelCode()
{
    TestFolder folder;
    FormWindow w;
    w.form->LoadPickLists(sampleLists());
    QComboBox* country = w.combo(0);
    w.enter(country);
    typeText(country, QStringLiteral("germany"));
    QCOMPARE(country->currentText(), QStringLiteral("Germany"));
    w.tab();
    QCOMPARE(w.form->text1(1), QStringLiteral("Germany"));
    QCOMPARE(w.form->text1(13), QStringLiteral("49"));

    // A country the list does not have keeps the typed name and the Tel Code the user has.
    w.form->setText1(13, QStringLiteral("297"));
    w.enter(country);
    country->lineEdit()->selectAll();
    typeText(country, QStringLiteral("Aruba"));
    w.tab();
    QCOMPARE(country->currentText(), QStringLiteral("Aruba"));
    QCOMPARE(w.form->text1(1), QStringLiteral("Aruba"));
    QCOMPARE(w.form->text1(13), QStringLiteral("297"));

    // A name that differs from an entry only in letter case is that entry.
    w.form->setText1(1, QStringLiteral("italy"));
    w.enter(country);
    w.tab();
    QCOMPARE(w.form->text1(1), QStringLiteral("Italy"));
    QCOMPARE(w.form->text1(13), QStringLiteral("39"));
}

void TestPickListCombos::leavingABoxCopiesOrEmptiesItsField()
{
    TestFolder folder;
    FormWindow w;
    w.form->LoadPickLists(sampleLists());
    w.form->setText1(7, QStringLiteral("Hotel"));
    QComboBox* type = w.combo(1);
    w.enter(type);
    type->lineEdit()->selectAll();
    QTest::keyClick(type, Qt::Key_Delete);
    w.tab();
    QCOMPARE(type->currentText(), QString());
    QCOMPARE(w.form->text1(7), QString());

    // A value the list lacks is kept as typed, whatever its length.
    w.enter(type);
    typeText(type, QStringLiteral("Motel by the sea"));
    w.tab();
    QCOMPARE(w.form->text1(7), QStringLiteral("Motel by the sea"));
    QCOMPARE(type->currentText(), QStringLiteral("Motel by the sea"));
}

void TestPickListCombos::leavingTakesAnEntryThatDiffersOnlyInCase_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("telCode");
    QTest::newRow("country") << 0 << QStringLiteral("united kingdom") << QStringLiteral("United Kingdom") << QStringLiteral("44");
    QTest::newRow("country in capitals") << 0 << QStringLiteral("ITALY") << QStringLiteral("Italy") << QStringLiteral("39");
    QTest::newRow("unknown country") << 0 << QStringLiteral("oz") << QStringLiteral("oz") << QStringLiteral("1");
    QTest::newRow("type") << 1 << QStringLiteral("HOSTEL") << QStringLiteral("Hostel") << QStringLiteral("1");
    QTest::newRow("not an entry") << 1 << QStringLiteral("HOSTELS") << QStringLiteral("HOSTELS") << QStringLiteral("1");
}

void TestPickListCombos::leavingTakesAnEntryThatDiffersOnlyInCase()
{
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, telCode);
    TestFolder folder;
    FormWindow w;
    PickLists lists = sampleLists();
    lists.lists[0].append(QStringLiteral("United Kingdom"));
    lists.telephoneCodes.append(QStringLiteral("44"));
    w.form->LoadPickLists(lists);
    w.form->setText1(13, QStringLiteral("1"));
    QComboBox* combo = w.combo(box);
    w.enter(combo);
    // Typed key by key, completion and all, as the user does.
    for (const QChar ch : typed)
        QTest::keyClick(combo, ch.toLatin1());
    w.tab();
    QCOMPARE(combo->currentText(), kept);
    QCOMPARE(w.form->text1(EntryForm::fieldOfCombo(box)), kept);
    QCOMPARE(w.form->text1(13), telCode);
}

QTEST_MAIN(TestPickListCombos)
#include "test_picklistcombos.moc"
