#pragma once

#include "atlas/GeoPoint.h"

#include <QDate>
#include <QString>

#include <optional>

// A value as typed (trimmed) and what it is compared by: its fold (TextFolding) for a type or
// a satisfaction, its NameKey for a city or a country.
struct TypedValue
{
    QString text;
    QString key;
};

inline const TypedValue kNoValue;

// What the atlas reads of one record: which country it is in, its city and where that is,
// the date of the visit, its type and satisfaction. The values are those of the VisitReader
// that read them (a log's values repeat, so each is held once), and live as long as it.
struct VisitFacts
{
    int country = -1;                         // index in the CountryTable; -1 when it names none
    const TypedValue* typedCountry = &kNoValue; // the Country when it names no country
    const TypedValue* city = &kNoValue;
    std::optional<GeoPoint> place;            // where the city is, when the gazetteer knows it
    QDate visited;                            // invalid when the Date Visited is no date
    const TypedValue* type = &kNoValue;
    const TypedValue* satisfaction = &kNoValue;
};
