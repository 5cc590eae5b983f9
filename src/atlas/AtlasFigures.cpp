#include "atlas/AtlasFigures.h"


#include <algorithm>

namespace {

// Adds step to a count kept in a map, and forgets the entry when it comes to nothing.
template <typename Map, typename Key> void addTo(Map& map, const Key& key, int by)
{
    auto& value = map[key];
    value += by;
    if (value <= 0)
        map.erase(map.find(key));
}

} // namespace

void TallyTable::count(const TypedValue& value, int step)
{
    Tally& tally = m_tallies[value.key];
    if (tally.records == 0)
        tally.name = value.text;
    tally.records += step;
    m_total += step;
    if (tally.records <= 0)
        m_tallies.remove(value.key);
}

std::vector<Tally> TallyTable::sorted() const
{
    std::vector<Tally> tallies(m_tallies.cbegin(), m_tallies.cend());
    std::sort(tallies.begin(), tallies.end(), [](const Tally& a, const Tally& b) {
        return a.records != b.records ? a.records > b.records : a.name < b.name;
    });
    return tallies;
}

int AtlasFigures::mostRecords() const
{
    int most = 0;
    for (const CountryFigures& country : m_countries)
        most = std::max(most, country.records);
    return most;
}

std::vector<int> AtlasFigures::visited() const
{
    std::vector<int> indexes;
    for (size_t i = 0; i < m_countries.size(); ++i)
        if (m_countries[i].records > 0)
            indexes.push_back(int(i));
    std::stable_sort(indexes.begin(), indexes.end(),
                     [this](int a, int b) { return country(a).records > country(b).records; });
    return indexes;
}

std::vector<GeoPoint> AtlasFigures::places() const
{
    std::vector<GeoPoint> points;
    for (const CountryFigures& country : m_countries)
        for (const CityFigures& city : country.cities)
            if (city.place)
                points.push_back(*city.place);
    return points;
}

void AtlasFigures::count(const VisitFacts& facts, int step)
{
    m_records += step;
    if (facts.visited.isValid())
        addTo(m_years, facts.visited.year(), step);
    else
        m_undated += step;
    m_types.count(*facts.type, step);
    m_satisfactions.count(*facts.satisfaction, step);
    if (facts.country >= 0 && size_t(facts.country) < m_countries.size())
        countInCountry(m_countries[size_t(facts.country)], facts, step);
    else if (facts.typedCountry->key.isEmpty())
        m_withoutCountry += step;
    else
        m_notOnMap.count(*facts.typedCountry, step);
}

void AtlasFigures::countInCountry(CountryFigures& country, const VisitFacts& facts, int step)
{
    m_recordsOnMap += step;
    if (country.records == 0 || country.records + step == 0)
        m_countriesVisited += step;
    country.records += step;
    if (facts.visited.isValid())
        addTo(country.days, facts.visited.toJulianDay(), step);
    if (facts.city->key.isEmpty())
        return;
    const QString& key = facts.city->key;
    CityFigures& city = country.cities[key];
    if (city.records == 0) {
        city.name = facts.city->text;
        city.place = facts.place;
        ++m_cities;
    }
    city.records += step;
    if (city.records <= 0) {
        country.cities.remove(key);
        --m_cities;
    }
}
