#include "MapCommand.h"

#include "FolderAtlas.h"

#include "atlas/MapSvg.h"
#include "atlas/image/MapImage.h"

namespace MapCommand {

CommandResult run(const QString& folder, const QString& atlasFolder, const QString& output, int width)
{
    FolderAtlas atlas;
    if (const QString why = atlas.load(folder, atlasFolder, AtlasData::All); !why.isEmpty())
        return CommandResult::failure(ExitStatus::FileError, why);
    MapSvg::Picture picture;
    for (int country = 0; country < atlas.data->countries.size(); ++country)
        picture.records.push_back(atlas.figures->country(country).records);
    picture.places = atlas.figures->places();
    QString error;
    if (!MapImage::write(output, MapSvg(*atlas.data, width, 0.25).render(picture), &error))
        return CommandResult::failure(ExitStatus::FileError, error);
    return CommandResult::done();
}

} // namespace MapCommand
