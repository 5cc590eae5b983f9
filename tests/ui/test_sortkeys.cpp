#include "ui/entry/DateVisitedPicker.h"
#include "ui/list/RecordSearchIndex.h"
#include "ui/list/SortKeys.h"
#include "ui/list/TextFolding.h"

#include "store/TravelRecord.h"

#include <QDate>
#include <QLocale>
#include <QTest>

#include <optional>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

double day(int year, int month, int dayOfMonth)
{
    return double(QDate(year, month, dayOfMonth).toJulianDay()) * 86400;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<double>)

// The pieces under the search and the sort: folding, reading dates and prices.
class TestSortKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void foldingIgnoresCaseAndAccents_data();
    void foldingIgnoresCaseAndAccents();
    void searchTextKeepsColumnsApart();
    void datesAreRead_data();
    void datesAreRead();
    void pricesStartWithTheirNumber_data();
    void pricesStartWithTheirNumber();
};

void TestSortKeys::foldingIgnoresCaseAndAccents_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("ascii") << s("Hotel CENTRAL") << s("hotel central");
    QTest::newRow("acute") << s("Café") << s("cafe");
    QTest::newRow("capital with accent") << s("ÉCOLE") << s("ecole");
    QTest::newRow("umlaut and ring") << s("Zürich Århus") << s("zurich arhus");
    QTest::newRow("cedilla and tilde") << s("Besançon Logroño") << s("besancon logrono");
    QTest::newRow("decomposed input") << s("Cafe\u0301") << s("cafe");
    QTest::newRow("ligature") << s("ﬁne") << s("fine");
    QTest::newRow("euro kept") << s("€12") << s("€12");
}

void TestSortKeys::foldingIgnoresCaseAndAccents()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(TextFolding::fold(text), folded);
}

void TestSortKeys::searchTextKeepsColumnsApart()
{
    TravelRecord record;
    QVERIFY(!record.setField(0, s("Hut")));
    QVERIFY(!record.setField(10, s("Oslo")));
    QVERIFY(!record.setField(23, s("83211")));
    const QString text = RecordSearchIndex::foldedText(record);
    QVERIFY(text.contains(s("hut")) && text.contains(s("oslo")));
    QVERIFY(!text.contains(s("83211"))); // the upload mark is not shown
    QVERIFY(!text.contains(s("hutoslo")) && !text.contains(s("hut oslo")));
    QCOMPARE(TextFolding::foldedWords(s("  Café\tOSLO  ")), (QStringList{s("cafe"), s("oslo")}));
}

void TestSortKeys::datesAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("value");
    QTest::newRow("picker") << DateVisitedPicker::textFor(QDate(2006, 9, 30)) << std::optional(day(2006, 9, 30));
    QTest::newRow("picker, one digit") << s("10/1/2006") << std::optional(day(2006, 10, 1));
    QTest::newRow("stamp") << s("03-07-2006 09:05:07") << std::optional(day(2006, 3, 7) + 9 * 3600 + 5 * 60 + 7);
    QTest::newRow("stamp's date") << s("12-31-2005") << std::optional(day(2005, 12, 31));
    QTest::newRow("blanks around") << s(" 03-07-2006 ") << std::optional(day(2006, 3, 7));
    QTest::newRow("empty") << QString() << std::optional<double>();
    QTest::newRow("words") << s("last summer") << std::optional<double>();
    QTest::newRow("no such day") << s("02-30-2006") << std::optional<double>();
    QTest::newRow("no such time") << s("03-07-2006 25:05:07") << std::optional<double>();
    QTest::newRow("letters in a stamp") << s("03-07-2006 09:05:0x") << std::optional<double>();
}

void TestSortKeys::datesAreRead()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, value);
    QCOMPARE(SortKeys::dateValue(text), value);
}

void TestSortKeys::pricesStartWithTheirNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("value");
    QTest::newRow("whole") << s("45") << std::optional(45.0);
    QTest::newRow("decimal point") << s("45.50 per night") << std::optional(45.5);
    QTest::newRow("decimal comma") << s("12,5 EUR") << std::optional(12.5);
    QTest::newRow("currency first") << s("$ 120") << std::optional(120.0);
    QTest::newRow("euro first") << s(" €9") << std::optional(9.0);
    QTest::newRow("point without digits") << s("12.") << std::optional(12.0);
    QTest::newRow("number later") << s("about 40") << std::optional<double>();
    QTest::newRow("empty") << QString() << std::optional<double>();
}

void TestSortKeys::pricesStartWithTheirNumber()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, value);
    QCOMPARE(SortKeys::leadingNumber(text), value);
}

QTEST_MAIN(TestSortKeys)
#include "test_sortkeys.moc"
