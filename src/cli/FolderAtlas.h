#pragma once

#include "atlas/AtlasData.h"
#include "atlas/AtlasFigures.h"

#include <QString>

#include <memory>
#include <optional>

// The atlas of one program folder's records, for the tool's stats and map: the map data
// read from the folder of the shipped files and the figures of every record.
struct FolderAtlas
{
    // Why not, when the records or the map data cannot be read; "" on success.
    QString load(const QString& folder, const QString& atlasFolder, int parts);

    std::shared_ptr<AtlasData> data;
    std::optional<AtlasFigures> figures;
};
