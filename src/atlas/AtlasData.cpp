#include "atlas/AtlasData.h"

#include <QDir>

std::shared_ptr<AtlasData> AtlasData::load(const QString& folder, QString* error, Parts parts)
{
    auto data = std::make_shared<AtlasData>();
    const QDir dir(folder);
    if (!data->countries.load(dir.filePath(QLatin1String(kCountriesFile)), error))
        return nullptr;
    data->matcher.emplace(data->countries);
    if (!data->shapes.load(dir.filePath(QLatin1String(kShapesFile)), data->countries, *data->matcher, error))
        return nullptr;
    if (parts == Parts::All && !data->places.load(dir.filePath(QLatin1String(kPlacesFile)), error))
        return nullptr;
    return data;
}
