#pragma once

#include "atlas/GeoPoint.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// The populated places of every country, read from cities.tsv (UTF-8, one place a line:
// alpha-2 country code, name, latitude, longitude; "#" starts a comment). A place is found
// by its name's NameKey within its country. The file's text is kept as it is, with an index
// of a few bytes a place (a hash of its key and where its line is), so that the whole world's
// places take little memory; read only once made, so threads may share it.
class Gazetteer
{
public:
    bool load(const QString& path, QString* error);
    void parse(QByteArray text);

    // The place of that name in the country (alpha-2 code, upper case); the first of the
    // file when several have it; none when there is no such place.
    std::optional<GeoPoint> find(const QString& countryCode, const QString& name) const;

private:
    struct Entry
    {
        size_t hash;
        qsizetype line;
        bool operator<(const Entry& other) const { return hash != other.hash ? hash < other.hash : line < other.line; }
    };
    struct Fields
    {
        QByteArrayView name, latitude, longitude;
    };
    Fields fieldsAt(qsizetype line) const;

    QByteArray m_text;
    QHash<QString, std::vector<Entry>> m_places; // by country code, sorted
};
