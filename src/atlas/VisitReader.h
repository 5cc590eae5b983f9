#pragma once

#include "atlas/VisitFacts.h"

#include <QByteArray>
#include <QHash>
#include <QLocale>

#include <deque>

class TravelRecord;
struct AtlasData;

// Reads the VisitFacts of records. The countries, cities, dates, types and satisfactions of a
// log repeat, so each distinct text is looked up, folded or read once and remembered by its
// stored bytes: reading tens of thousands of records stays quick. The data must outlive the
// reader; not to be shared between threads.
class VisitReader
{
public:
    explicit VisitReader(const AtlasData& data, const QLocale& locale = QLocale());

    VisitFacts read(const TravelRecord& record);
    // Only the country of a record (an index of the CountryTable, or -1).
    int country(const TravelRecord& record);

private:
    struct City
    {
        const TypedValue* name;
        std::optional<GeoPoint> place;
    };
    int countryOf(QByteArrayView typed);
    const TypedValue* folded(QByteArrayView typed);
    const TypedValue* named(QByteArrayView typed);
    const City& cityOf(int country, QByteArrayView typed);
    QDate dateOf(QByteArrayView typed);

    const AtlasData& m_data;
    QLocale m_locale;
    QHash<QByteArray, int> m_countries;
    std::deque<TypedValue> m_values; // where the facts' values are; never moved
    QHash<QByteArray, const TypedValue*> m_folded;
    QHash<QByteArray, const TypedValue*> m_named;
    QHash<int, QHash<QByteArray, City>> m_cities;
    QHash<QByteArray, QDate> m_dates;
};
