#pragma once

#include "atlas/GeoPoint.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The populated places of every country, read from cities.tsv (UTF-8, one place a line:
// alpha-2 country code, name, latitude, longitude; "#" starts a comment). A place is found
// by its name's NameKey within its country. Only the file is read at first; a country's
// names are looked at when one of them is first asked for, so opening costs little and
// memory grows with the countries visited only. Not to be shared between threads.
class Gazetteer
{
public:
    bool load(const QString& path, QString* error);
    void parse(QByteArray text);

    // The place of that name in the country (alpha-2 code, upper case); the first of the
    // file when several have it; none when there is no such place.
    std::optional<GeoPoint> find(const QString& countryCode, const QString& name) const;

private:
    const QHash<QString, GeoPoint>& placesOf(const QString& countryCode) const;

    QByteArray m_text;
    // Where each country's lines are in the text: [begin, end) ranges.
    QHash<QString, std::vector<std::pair<qsizetype, qsizetype>>> m_lines;
    mutable QHash<QString, QHash<QString, GeoPoint>> m_places;
};
