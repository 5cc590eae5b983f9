#include "atlas/AtlasData.h"

#include <QDir>

std::shared_ptr<AtlasData> AtlasData::load(const QString& folder, QString* error, int parts)
{
    auto data = std::make_shared<AtlasData>();
    const QDir dir(folder);
    if (!data->countries.load(dir.filePath(QLatin1String(kCountriesFile)), error))
        return nullptr;
    data->matcher.emplace(data->countries);
    if ((parts & Shapes) && !data->shapes.load(dir.filePath(QLatin1String(kShapesFile)), data->countries, *data->matcher, error))
        return nullptr;
    if ((parts & Places) && !data->places.load(dir.filePath(QLatin1String(kPlacesFile)), error))
        return nullptr;
    return data;
}
