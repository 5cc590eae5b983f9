#pragma once

#include "atlas/VisitFacts.h"

#include <QHash>
#include <QString>

#include <map>
#include <vector>

// A value as first typed, with the number of records that hold it.
struct Tally
{
    QString name;
    int records = 0;
};

// Counts of texts that are one value by their key: "Hotel" and "hotel" are one.
class TallyTable
{
public:
    void count(const TypedValue& value, int step);
    // Most records first, then by name.
    std::vector<Tally> sorted() const;
    int total() const { return m_total; }

private:
    QHash<QString, Tally> m_tallies;
    int m_total = 0;
};

struct CityFigures
{
    QString name;
    int records = 0;
    std::optional<GeoPoint> place;
};

struct CountryFigures
{
    int records = 0;
    QHash<QString, CityFigures> cities; // by the NameKey of the city
    std::map<qint64, int> days;         // records by Julian day of the visit

    QDate firstVisit() const { return days.empty() ? QDate() : QDate::fromJulianDay(days.begin()->first); }
    QDate lastVisit() const { return days.empty() ? QDate() : QDate::fromJulianDay(days.rbegin()->first); }
};

// The figures of the atlas over a set of records: per country the records, cities and first
// and last visit; records per year of visit, per Type and per Satisfaction; and the Country
// values that name no country. Records are added and taken away one at a time, so that an
// edit of the log changes the figures without counting every record again.
class AtlasFigures
{
public:
    explicit AtlasFigures(int countries) : m_countries(size_t(countries)) {}

    void add(const VisitFacts& facts) { count(facts, 1); }
    void remove(const VisitFacts& facts) { count(facts, -1); }

    int records() const { return m_records; }
    // Records in a country of the map, the countries they are in, and their distinct cities.
    int recordsOnMap() const { return m_recordsOnMap; }
    int countriesVisited() const { return m_countriesVisited; }
    int cities() const { return m_cities; }
    // The records of the most visited country.
    int mostRecords() const;

    const CountryFigures& country(int index) const { return m_countries[size_t(index)]; }
    // The countries with records, most records first (then by index).
    std::vector<int> visited() const;
    // The cities that the gazetteer placed.
    std::vector<GeoPoint> places() const;

    // Records per year of visit, earliest first; and those without a readable date.
    const std::map<int, int>& years() const { return m_years; }
    int undated() const { return m_undated; }
    const TallyTable& types() const { return m_types; }
    const TallyTable& satisfactions() const { return m_satisfactions; }
    // The Country values that name no country; and the records with no Country at all.
    const TallyTable& notOnMap() const { return m_notOnMap; }
    int withoutCountry() const { return m_withoutCountry; }

private:
    void count(const VisitFacts& facts, int step);
    void countInCountry(CountryFigures& country, const VisitFacts& facts, int step);

    std::vector<CountryFigures> m_countries;
    int m_records = 0;
    int m_recordsOnMap = 0;
    int m_countriesVisited = 0;
    int m_cities = 0;
    std::map<int, int> m_years;
    int m_undated = 0;
    TallyTable m_types, m_satisfactions, m_notOnMap;
    int m_withoutCountry = 0;
};
