#include "FolderAtlas.h"

#include "FolderRecords.h"

#include "atlas/VisitReader.h"

QString FolderAtlas::load(const QString& folder, const QString& atlasFolder, int parts)
{
    FolderRecords records(folder);
    if (QString why = records.load(); !why.isEmpty())
        return why;
    QString error;
    data = AtlasData::load(atlasFolder, &error, parts);
    if (!data)
        return QStringLiteral("the map data cannot be read: %1").arg(error);
    figures.emplace(data->countries.size());
    VisitReader reader(*data);
    const RecordStore& store = records.store();
    for (int row = 0; row < store.rowCount(); ++row)
        figures->add(reader.read(store.row(row)));
    return {};
}
