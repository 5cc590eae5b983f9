#include "store/RecordValues.h"
#include "store/TextFolding.h"

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

// The readings that the search, the sorts and the figures share: folding, dates and prices.
class TestRecordValues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void foldingIgnoresCaseAndAccents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("acute") << s("Café") << s("cafe");
        QTest::newRow("capital with accent") << s("ÉCOLE") << s("ecole");
        QTest::newRow("decomposed input") << s("Cafe\u0301") << s("cafe");
        QTest::newRow("ligature") << s("ﬁne") << s("fine");
        QTest::newRow("sharp s") << s("Straße") << s("strasse");
        QTest::newRow("slashed o") << s("Øresund") << s("oresund");
        QTest::newRow("ae and oe") << s("Ærø Œuvre") << s("aero oeuvre");
        QTest::newRow("stroke and bar") << s("Łódź Đakovo") << s("lodz dakovo");
        QTest::newRow("thorn and eth") << s("Þórshöfn Ðor") << s("thorshofn dor");
        QTest::newRow("euro kept") << s("€12") << s("€12");
    }
    void foldingIgnoresCaseAndAccents()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(TextFolding::fold(text), folded);
    }

    void searchTextHoldsBothSpellings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        QTest::newRow("slashed o as o") << s("Øresund") << s("oresund") << true;
        QTest::newRow("slashed o as oe") << s("Ærø") << s("aeroe") << true;
        QTest::newRow("umlaut as ue") << s("Zürich") << s("zuerich") << true;
        QTest::newRow("umlaut as u") << s("Zürich") << s("zurich") << true;
        QTest::newRow("spellings never join") << s("Zürich") << s("chzu") << false;
        QTest::newRow("plain text unchanged") << s("Oslo") << s("oslo") << true;
    }
    void searchTextHoldsBothSpellings()
    {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(bool, found);
        QCOMPARE(TextFolding::searchText(text).contains(TextFolding::fold(word)), found);
    }

    // Dates (in the list's sort, a stamp to the second) and prices read as numbers.
    void valuesAreRead_data()
    {
        QTest::addColumn<bool>("date");
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("value");
        QTest::newRow("date: entry form") << true << RecordValues::dateText(QDate(2006, 9, 30)) << std::optional(day(2006, 9, 30));
        QTest::newRow("date: one digit") << true << s("10/1/2006") << std::optional(day(2006, 10, 1));
        QTest::newRow("date: stamp") << true << s("03-07-2006 09:05:07") << std::optional(day(2006, 3, 7) + 9 * 3600 + 5 * 60 + 7);
        QTest::newRow("date: stamp's date") << true << s("12-31-2005") << std::optional(day(2005, 12, 31));
        QTest::newRow("date: blanks around") << true << s(" 03-07-2006 ") << std::optional(day(2006, 3, 7));
        QTest::newRow("date: empty") << true << QString() << std::optional<double>();
        QTest::newRow("date: words") << true << s("last summer") << std::optional<double>();
        QTest::newRow("date: no such day") << true << s("02-30-2006") << std::optional<double>();
        QTest::newRow("date: no such time") << true << s("03-07-2006 25:05:07") << std::optional<double>();
        QTest::newRow("date: letters in a stamp") << true << s("03-07-2006 09:05:0x") << std::optional<double>();
        QTest::newRow("price: whole") << false << s("45") << std::optional(45.0);
        QTest::newRow("price: decimal point") << false << s("45.50 per night") << std::optional(45.5);
        QTest::newRow("price: decimal comma") << false << s("12,5 EUR") << std::optional(12.5);
        QTest::newRow("price: currency first") << false << s("$ 120") << std::optional(120.0);
        QTest::newRow("price: euro first") << false << s(" €9") << std::optional(9.0);
        QTest::newRow("price: point without digits") << false << s("12.") << std::optional(12.0);
        QTest::newRow("price: per person") << false << s("1p:$127/4p:$381") << std::optional(127.0);
        QTest::newRow("price: number later") << false << s("about 40") << std::optional<double>();
        QTest::newRow("price: empty") << false << QString() << std::optional<double>();
    }
    void valuesAreRead()
    {
        QFETCH(bool, date);
        QFETCH(QString, text);
        QFETCH(std::optional<double>, value);
        QCOMPARE(date ? RecordValues::dateValue(text) : RecordValues::priceValue(text), value);
    }

    void datesTypedFreely_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        const QLocale names = QLocale::c(); // shows "14 May 2024"
        const QLocale british(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("as shown") << names << s("14 May 2024") << QDate(2024, 5, 14);
        QTest::newRow("no blanks") << names << s("2Jun2024") << QDate(2024, 6, 2);
        QTest::newRow("small letters, long name") << names << s("2 june, 2024") << QDate(2024, 6, 2);
        QTest::newRow("year first, with its name") << names << s("2024 May 14") << QDate(2024, 5, 14);
        QTest::newRow("digits, day first") << names << s("14/5/2024") << QDate(2024, 5, 14);
        QTest::newRow("digits, month first") << names << s("5/14/2024") << QDate(2024, 5, 14);
        QTest::newRow("other separators") << british << s("14 - 05 . 2024") << QDate(2024, 5, 14);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("the locale's digits") << german << s("9.5.2024") << QDate(2024, 5, 9);
        QTest::newRow("the locale's own form") << german << RecordValues::dateText(QDate(1999, 12, 1), german) << QDate(1999, 12, 1);
        QTest::newRow("English name in another locale") << QLocale(QLocale::German) << s("3 Mar 2021") << QDate(2021, 3, 3);
        QTest::newRow("month first refused where days come first") << british << s("5/14/2024") << QDate();
        QTest::newRow("two-digit year") << names << s("14 May 24") << QDate();
        QTest::newRow("no such month") << names << s("14 Foo 2024") << QDate();
        QTest::newRow("a word more") << names << s("about 14 May 2024") << QDate();
        QTest::newRow("no such day") << names << s("31 Jun 2024") << QDate();
    }
    void datesTypedFreely()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(RecordValues::dateFrom(text, locale), date);
    }
};

QTEST_MAIN(TestRecordValues)
#include "test_recordvalues.moc"
