#pragma once

#include "atlas/AtlasData.h"
#include "atlas/MapSvg.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

// The record browser's world map of the shared records: inline SVG, each visited country
// shaded by its records and a link to the find page of that country, under the spelling of
// the Country most of its records have. Made by several page threads at once.
class CountryMap
{
public:
    static constexpr int kWidth = 480;

    // Reads the countries and their shapes from the atlas folder; none when they cannot be read.
    static std::unique_ptr<CountryMap> load(const QString& atlasFolder, QString* error);

    // The map of these records per Country value, as typed.
    QString svg(const QList<std::pair<QString, qint64>>& countryCounts) const;

private:
    explicit CountryMap(std::shared_ptr<AtlasData> data);
    int countryOf(const QString& typed) const;

    std::shared_ptr<AtlasData> m_data;
    MapSvg m_map;
    mutable std::mutex m_lock;
    mutable QHash<QString, int> m_countries; // the country of each Country value seen
    mutable std::vector<int> m_lastRecords;  // the last map made, for the next same one
    mutable std::vector<QString> m_lastSpellings;
    mutable QString m_lastSvg;
};
