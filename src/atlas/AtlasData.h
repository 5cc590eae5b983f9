#pragma once

#include "atlas/CountryMatcher.h"
#include "atlas/CountryTable.h"
#include "atlas/Gazetteer.h"
#include "atlas/WorldShapes.h"

#include <QString>

#include <memory>
#include <optional>

// The map data that ships with the program, in one folder: the countries (countries.tsv),
// their shapes (countries-50m.json) and the populated places (cities.tsv).
struct AtlasData
{
    static constexpr char kFolder[] = "atlas";
    static constexpr char kCountriesFile[] = "countries.tsv";
    static constexpr char kShapesFile[] = "countries-50m.json";
    static constexpr char kPlacesFile[] = "cities.tsv";

    // What to read besides the countries: the shapes for a map, the places for its dots.
    enum Part { Shapes = 1, Places = 2, All = Shapes | Places };

    // Reads the files of the folder; null with *error set when one cannot be read.
    static std::shared_ptr<AtlasData> load(const QString& folder, QString* error, int parts = All);

    CountryTable countries;
    std::optional<CountryMatcher> matcher;
    WorldShapes shapes;
    Gazetteer places;
};
