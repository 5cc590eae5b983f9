#include "atlas/AtlasData.h"
#include "atlas/AtlasFigures.h"
#include "atlas/MapShading.h"
#include "atlas/MapSvg.h"
#include "atlas/VisitReader.h"
#include "store/PickLists.h"
#include "store/TravelRecord.h"

#include <QRegularExpression>
#include <QTest>

// How typed countries and cities find their place, the figures of a log as records are
// added and taken away again, and the map drawn of them.
class AtlasCoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedCountry_data();
    void typedCountry();
    void everyPickListCountryIsInTheTable();
    void sharedNamesFindNeither();
    void cityWithinItsCountry_data();
    void cityWithinItsCountry();
    void countryAtPoint_data();
    void countryAtPoint();
    void figures_data();
    void figures();
    void visitedCountriesInTheSvg();
    void shadingIsLogarithmic();

private:
    std::shared_ptr<AtlasData> m_data;
};

namespace {

TravelRecord visit(const char* country, const char* city, const char* date, const char* type)
{
    TravelRecord record;
    record.setField(RecordColumns::Country, QString::fromUtf8(country));
    record.setField(RecordColumns::City, QString::fromUtf8(city));
    record.setField(RecordColumns::DateVisited, QString::fromUtf8(date));
    record.setField(RecordColumns::Type, QString::fromUtf8(type));
    return record;
}

const TravelRecord kLog[] = {
    visit("France", "Paris", "2019-05-01", "Hotel"),       // 0
    visit("france", " PARIS ", "2021-08-02", "hotel"),     // 1
    visit("Fránce", "Lyon", "", "Restaurant"),             // 2
    visit("USA", "Chicago", "2020-01-01", "Hotel"),        // 3
    visit("Atlantis", "Poseidonia", "2020-03-03", ""),     // 4
    visit("ATLANTIS", "", "2020-03-04", ""),               // 5
    visit("", "Nowhere", "not a date", ""),                // 6
};

// The figures in one line: each visited country, the cities placed, years, types and the rest.
QString summary(const AtlasFigures& figures, const AtlasData& data)
{
    QStringList parts;
    for (const int country : figures.visited()) {
        const CountryFigures& c = figures.country(country);
        parts << QStringLiteral("%1 %2r %3c %4..%5").arg(data.countries.at(country).code).arg(c.records).arg(c.cities.size())
                     .arg(c.firstVisit().toString(Qt::ISODate), c.lastVisit().toString(Qt::ISODate));
    }
    parts << QStringLiteral("%1 countries %2 cities %3 placed %4 on map of %5").arg(figures.countriesVisited())
                 .arg(figures.cities()).arg(figures.places().size()).arg(figures.recordsOnMap()).arg(figures.records());
    QString years;
    for (const auto& [year, records] : figures.years())
        years += QStringLiteral("%1:%2 ").arg(year).arg(records);
    parts << years + QStringLiteral("undated:%1").arg(figures.undated());
    for (const TallyTable* table : {&figures.types(), &figures.notOnMap()}) {
        parts << QString();
        for (const Tally& tally : table->sorted())
            parts.last() += QStringLiteral("%1:%2 ").arg(tally.name).arg(tally.records);
    }
    parts << QStringLiteral("without:%1").arg(figures.withoutCountry());
    return parts.join(QStringLiteral(" | "));
}

} // namespace

void AtlasCoreTest::figures_data()
{
    QTest::addColumn<QList<int>>("removed"); // records of the log taken away after all were added
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole log") << QList<int>{}
                               << "FR 3r 2c 2019-05-01..2021-08-02 | US 1r 1c 2020-01-01..2020-01-01 | "
                                  "2 countries 3 cities 3 placed 4 on map of 7 | 2019:1 2020:3 2021:1 undated:2 | "
                                  ":3 Hotel:3 Restaurant:1  | Atlantis:2  | without:1";
    QTest::newRow("last visit taken away") << QList<int>{1}
                                           << "FR 2r 2c 2019-05-01..2019-05-01 | US 1r 1c 2020-01-01..2020-01-01 | "
                                              "2 countries 3 cities 3 placed 3 on map of 6 | 2019:1 2020:3 undated:2 | "
                                              ":3 Hotel:2 Restaurant:1  | Atlantis:2  | without:1";
    QTest::newRow("a city's last record") << QList<int>{0, 1, 5}
                                          << "FR 1r 1c .. | US 1r 1c 2020-01-01..2020-01-01 | "
                                             "2 countries 2 cities 2 placed 2 on map of 4 | 2020:2 undated:2 | "
                                             ":2 Hotel:1 Restaurant:1  | Atlantis:1  | without:1";
    QTest::newRow("a country's last record") << QList<int>{3, 4, 6}
                                             << "FR 3r 2c 2019-05-01..2021-08-02 | "
                                                "1 countries 2 cities 2 placed 3 on map of 4 | 2019:1 2020:1 2021:1 undated:1 | "
                                                "Hotel:2 :1 Restaurant:1  | Atlantis:1  | without:0";
}

void AtlasCoreTest::figures()
{
    QFETCH(QList<int>, removed);
    QFETCH(QString, expected);
    VisitReader reader(*m_data, QLocale::c());
    AtlasFigures figures(m_data->countries.size());
    for (const TravelRecord& record : kLog)
        figures.add(reader.read(record));
    for (const int index : removed)
        figures.remove(reader.read(kLog[index]));
    QCOMPARE(summary(figures, *m_data), expected);
}

void AtlasCoreTest::visitedCountriesInTheSvg()
{
    const auto index = [&](const char* code) { return m_data->countries.indexOfCode(QLatin1String(code)); };
    MapSvg::Picture picture;
    picture.records.assign(size_t(m_data->countries.size()), 0);
    picture.records[size_t(index("FR"))] = 12;
    picture.records[size_t(index("AU"))] = 1;
    picture.link = [&](int country) { return country == index("FR") ? QStringLiteral("?a=1&b=<'\">") : QString(); };
    const QString svg = MapSvg(*m_data, 720, 1).render(picture);
    const QRegularExpression element(QStringLiteral("<path id=\"(\\w\\w)\"( class=\"visited\")?[^>]*><title>([^<]*)</title>"));
    QStringList visited, ids;
    for (const QRegularExpressionMatch& match : element.globalMatch(svg)) {
        ids << match.captured(1);
        if (!match.captured(2).isEmpty())
            visited << match.captured(1) + u' ' + match.captured(3);
    }
    visited.sort();
    QCOMPARE(visited, (QStringList{QStringLiteral("AU Australia: 1 record"), QStringLiteral("FR France: 12 records")}));
    QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()); // one element each
    QVERIFY(ids.contains(QStringLiteral("ES")) && ids.contains(QStringLiteral("XK")) && ids.size() > 230);
    QVERIFY(svg.contains(QStringLiteral("<a href=\"?a=1&amp;b=&lt;&#39;&quot;&gt;\"><path id=\"FR\"")));
}

void AtlasCoreTest::shadingIsLogarithmic()
{
    // Ten records of at most a hundred lie halfway between one and a hundred.
    const auto channel = [](int records, int shift) { return int(MapShading::colour(records, 100) >> shift & 0xff); };
    for (int shift = 0; shift <= 16; shift += 8)
        QVERIFY(std::abs(2 * channel(10, shift) - channel(1, shift) - channel(100, shift)) <= 2);
    QVERIFY(MapShading::colour(1, 100) != MapShading::colour(100, 100));
    QCOMPARE(MapShading::colour(0, 100), MapShading::kUnvisited);
}

void AtlasCoreTest::initTestCase()
{
    QString error;
    m_data = AtlasData::load(QStringLiteral(ROAMLOG_ATLAS_DATA), &error);
    QVERIFY2(m_data, qPrintable(error));
}

void AtlasCoreTest::typedCountry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code"); // empty: not on the map
    QTest::newRow("pick-list name") << "France" << "FR";
    QTest::newRow("letter case and blanks") << "  fRANCE " << "FR";
    QTest::newRow("without its accents") << "Cote d'Ivoire" << "CI";
    QTest::newRow("other name") << "Ivory Coast" << "CI";
    QTest::newRow("code of three letters") << "usa" << "US";
    QTest::newRow("points and the article") << "the U.K." << "GB";
    QTest::newRow("hand-kept name") << "Holland" << "NL";
    QTest::newRow("ISO short name") << "Czechia" << "CZ";
    QTest::newRow("St for Saint") << "St. Lucia" << "LC";
    QTest::newRow("& for and") << "Bosnia & Herzegovina" << "BA";
    QTest::newRow("pick-list Congo is the Republic") << "Congo" << "CG";
    QTest::newRow("ambiguous Korea is not guessed") << "Korea" << "";
    QTest::newRow("unknown") << "Atlantis" << "";
    QTest::newRow("part of a name") << "United" << "";
    QTest::newRow("empty") << "" << "";
}

void AtlasCoreTest::typedCountry()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    const int country = m_data->matcher->match(typed);
    QCOMPARE(country < 0 ? QString() : m_data->countries.at(country).code, code);
}

void AtlasCoreTest::everyPickListCountryIsInTheTable()
{
    const QStringList names = LoadPickLists(QStringLiteral(ROAMLOG_COMBOS_PATH)).lists[0];
    QCOMPARE(names.size(), 230);
    for (const QString& name : names) {
        const int country = m_data->matcher->match(name);
        QVERIFY2(country >= 0, qPrintable(name));
        QCOMPARE(m_data->countries.at(country).name, name);
        QVERIFY2(!m_data->countries.at(country).continent.isEmpty(), qPrintable(name));
    }
}

void AtlasCoreTest::sharedNamesFindNeither()
{
    CountryTable table;
    QString error;
    QVERIFY(table.parse("# comment\nAA\t001\tEurope\tAlpha\tShared;Alias A;Beta\nBB\t002\tAsia\tBeta\tShared\n", &error));
    const CountryMatcher matcher(table);
    QCOMPARE(matcher.match(QStringLiteral("shared")), -1);
    QCOMPARE(matcher.match(QStringLiteral("Alias A")), 0);
    QCOMPARE(matcher.match(QStringLiteral("Beta")), 1); // a name shown beats another's other name
    QVERIFY(!table.parse("AA\t001\tEurope\tAlpha\nAA\t002\tAsia\tAgain\n", &error));
}

void AtlasCoreTest::cityWithinItsCountry_data()
{
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("city");
    QTest::addColumn<double>("latitude"); // 0: not placed
    QTest::newRow("found") << "FR" << "Paris" << 48.85;
    QTest::newRow("same name, other country") << "US" << "paris" << 33.66;
    QTest::newRow("accents and hyphens") << "FR" << "ST ETIENNE" << 45.43;
    QTest::newRow("first of two of a name") << "FR" << "Valence" << 44.93;
    QTest::newRow("city of another country") << "DE" << "Paris" << 0.0;
    QTest::newRow("unknown") << "FR" << "Lyonnesse" << 0.0;
}

void AtlasCoreTest::cityWithinItsCountry()
{
    QFETCH(QString, country);
    QFETCH(QString, city);
    QFETCH(double, latitude);
    Gazetteer places;
    places.parse("# places\nDE\tBerlin\t52.52\t13.41\nFR\tParis\t48.85\t2.35\nFR\tSaint-\xc3\x89tienne\t45.43\t4.39\n"
                 "FR\tValence\t44.93\t4.89\nUS\tParis\t33.66\t-95.56\nFR\tValence\t44.11\t0.89\n");
    const std::optional<GeoPoint> place = places.find(country, city);
    QCOMPARE(place ? place->latitude : 0.0, latitude);
}

void AtlasCoreTest::countryAtPoint_data()
{
    QTest::addColumn<QPointF>("lonLat");
    QTest::addColumn<QString>("code"); // empty: sea
    QTest::newRow("Paris") << QPointF(2.35, 48.85) << "FR";
    QTest::newRow("Sydney") << QPointF(151.2, -33.87) << "AU";
    QTest::newRow("Pristina, found by its shape's name") << QPointF(21.17, 42.67) << "XK";
    QTest::newRow("Lesotho, a hole in South Africa") << QPointF(28.2, -29.6) << "LS";
    QTest::newRow("Chukotka, east of the date line") << QPointF(-175, 67) << "RU";
    QTest::newRow("the Atlantic") << QPointF(-30, 30) << "";
}

void AtlasCoreTest::countryAtPoint()
{
    QFETCH(QPointF, lonLat);
    QFETCH(QString, code);
    const CountryShape* shape = m_data->shapes.shapeAt(lonLat);
    QCOMPARE(shape && shape->country >= 0 ? m_data->countries.at(shape->country).code : QString(), code);
}

QTEST_GUILESS_MAIN(AtlasCoreTest)
#include "test_atlascore.moc"
