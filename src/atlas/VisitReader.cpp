#include "atlas/VisitReader.h"

#include "atlas/AtlasData.h"
#include "atlas/NameKey.h"
#include "store/Cp1252.h"
#include "store/RecordValues.h"
#include "store/TextFolding.h"
#include "store/TravelRecord.h"

namespace {

// A key for looking up stored bytes without copying them; the hash copies it when it keeps it.
QByteArray lookupKey(QByteArrayView bytes)
{
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

// Looks a value up by its bytes, making it with make() the first time.
template <typename Value, typename Make> const Value& remembered(QHash<QByteArray, Value>& values, QByteArrayView bytes, Make make)
{
    const auto known = values.constFind(lookupKey(bytes));
    if (known != values.cend())
        return *known;
    return *values.insert(bytes.toByteArray(), make());
}

} // namespace

VisitReader::VisitReader(const AtlasData& data, const QLocale& locale) : m_data(data), m_locale(locale) {}

VisitFacts VisitReader::read(const TravelRecord& record)
{
    namespace Column = RecordColumns;
    VisitFacts facts;
    const QByteArrayView country = record.fieldBytes(Column::Country);
    facts.country = countryOf(country);
    if (facts.country < 0)
        facts.typedCountry = named(country);
    if (facts.country >= 0) {
        const City& city = cityOf(facts.country, record.fieldBytes(Column::City));
        facts.city = city.name;
        facts.place = city.place;
    } else {
        facts.city = named(record.fieldBytes(Column::City));
    }
    facts.visited = dateOf(record.fieldBytes(Column::DateVisited));
    facts.type = folded(record.fieldBytes(Column::Type));
    facts.satisfaction = folded(record.fieldBytes(Column::Satisfaction));
    return facts;
}

int VisitReader::country(const TravelRecord& record)
{
    return countryOf(record.fieldBytes(RecordColumns::Country));
}

int VisitReader::countryOf(QByteArrayView typed)
{
    return remembered(m_countries, typed, [&] {
        return m_data.matcher ? m_data.matcher->match(Cp1252::toUnicode(typed)) : -1;
    });
}

const TypedValue* VisitReader::folded(QByteArrayView typed)
{
    return remembered(m_folded, typed, [&] {
        const QString text = Cp1252::toUnicode(typed).trimmed();
        return &m_values.emplace_back(TypedValue{text, TextFolding::fold(text)});
    });
}

const TypedValue* VisitReader::named(QByteArrayView typed)
{
    return remembered(m_named, typed, [&] {
        const QString text = Cp1252::toUnicode(typed).trimmed();
        return &m_values.emplace_back(TypedValue{text, NameKey::of(text)});
    });
}

const VisitReader::City& VisitReader::cityOf(int country, QByteArrayView typed)
{
    return remembered(m_cities[country], typed, [&] {
        City city{named(typed), std::nullopt};
        if (!city.name->key.isEmpty())
            city.place = m_data.places.find(m_data.countries.at(country).code, city.name->text);
        return city;
    });
}

QDate VisitReader::dateOf(QByteArrayView typed)
{
    return remembered(m_dates, typed, [&] { return RecordValues::dateFrom(Cp1252::toUnicode(typed), m_locale); });
}
