#include "atlas/VisitReader.h"

#include "atlas/AtlasData.h"
#include "store/Cp1252.h"
#include "store/RecordValues.h"
#include "store/TravelRecord.h"

VisitReader::VisitReader(const AtlasData& data, const QLocale& locale) : m_data(data), m_locale(locale)
{
}

VisitFacts VisitReader::read(const TravelRecord& record)
{
    namespace Column = RecordColumns;
    VisitFacts facts;
    const QByteArray country = record.fieldBytes(Column::Country).toByteArray();
    facts.country = countryOf(country);
    if (facts.country < 0)
        facts.typedCountry = Cp1252::toUnicode(country).trimmed();
    facts.city = record.field(Column::City).trimmed();
    if (facts.country >= 0 && !facts.city.isEmpty())
        facts.place = placeOf(facts.country, facts.city);
    facts.visited = dateOf(record.fieldBytes(Column::DateVisited).toByteArray());
    facts.type = record.field(Column::Type).trimmed();
    facts.satisfaction = record.field(Column::Satisfaction).trimmed();
    return facts;
}

int VisitReader::country(const TravelRecord& record)
{
    return countryOf(record.fieldBytes(RecordColumns::Country).toByteArray());
}

int VisitReader::countryOf(const QByteArray& typed)
{
    const auto known = m_countries.constFind(typed);
    if (known != m_countries.cend())
        return *known;
    const int country = m_data.matcher ? m_data.matcher->match(Cp1252::toUnicode(typed)) : -1;
    m_countries.insert(typed, country);
    return country;
}

std::optional<GeoPoint> VisitReader::placeOf(int country, const QString& city)
{
    const QString code = m_data.countries.at(country).code;
    const QString key = code + u'\t' + city;
    const auto known = m_places.constFind(key);
    if (known != m_places.cend())
        return *known;
    const std::optional<GeoPoint> place = m_data.places.find(code, city);
    m_places.insert(key, place);
    return place;
}

QDate VisitReader::dateOf(const QByteArray& typed)
{
    const auto known = m_dates.constFind(typed);
    if (known != m_dates.cend())
        return *known;
    const QDate date = RecordValues::dateFrom(Cp1252::toUnicode(typed), m_locale);
    m_dates.insert(typed, date);
    return date;
}
