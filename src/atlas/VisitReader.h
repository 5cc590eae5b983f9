#pragma once

#include "atlas/VisitFacts.h"

#include <QByteArray>
#include <QHash>
#include <QLocale>

class TravelRecord;
struct AtlasData;

// Reads the VisitFacts of records. The countries, places and dates of a log repeat, so each
// distinct text is looked up or read once and remembered: reading tens of thousands of
// records stays quick. The data must outlive the reader; not to be shared between threads.
class VisitReader
{
public:
    explicit VisitReader(const AtlasData& data, const QLocale& locale = QLocale());

    VisitFacts read(const TravelRecord& record);
    // Only the country of a record (an index of the CountryTable, or -1).
    int country(const TravelRecord& record);

private:
    int countryOf(const QByteArray& typed);
    std::optional<GeoPoint> placeOf(int country, const QString& city);
    QDate dateOf(const QByteArray& typed);

    const AtlasData& m_data;
    QLocale m_locale;
    QHash<QByteArray, int> m_countries;
    QHash<QString, std::optional<GeoPoint>> m_places;
    QHash<QByteArray, QDate> m_dates;
};
