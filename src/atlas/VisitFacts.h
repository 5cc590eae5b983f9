#pragma once

#include "atlas/GeoPoint.h"

#include <QDate>
#include <QString>

#include <optional>

// What the atlas reads of one record: which country it is in, its city and where that is,
// the date of the visit, its type and satisfaction.
struct VisitFacts
{
    int country = -1;           // index in the CountryTable; -1 when the Country names none
    QString typedCountry;       // the Country as typed (trimmed) when it names no country
    QString city;               // the City as typed, trimmed
    std::optional<GeoPoint> place; // where the city is, when the gazetteer knows it
    QDate visited;              // invalid when the Date Visited does not read as a date
    QString type;
    QString satisfaction;
};
