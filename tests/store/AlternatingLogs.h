#pragma once

#include "store/RecordTable.h"

// Two full logs of the same places that differ in every record, for the kill test: the
// writer rewrites one, then the other, and a kill must leave exactly one of them on disk.
namespace AlternatingLogs {

inline RecordTable log(int version, int count = RecordTable::MaxRows)
{
    RecordTable table;
    table.reserve(count);
    const QString comment = QStringLiteral("Version %1: ").arg(version) + QString(120, u'c');
    for (int i = 0; i < count; ++i) {
        TravelRecord record;
        record.setField(RecordColumns::Place, QStringLiteral("Place %1").arg(i));
        record.setField(RecordColumns::City, QStringLiteral("Z\u00fcrich"));
        record.setField(RecordColumns::Comments, comment);
        record.setField(RecordColumns::UploadMark, version == 0 ? QStringLiteral("*") : QString());
        table.append(std::move(record));
    }
    return table;
}

} // namespace AlternatingLogs
