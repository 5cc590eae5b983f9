#include "store/RecordStore.h"

#include "store/LineCodec.h"

RecordStore::RecordStore(const QString& folder) : m_file(folder) {}

LoadReport RecordStore::LoadDatabase()
{
    const LoadReport report = m_file.LoadDatabase(m_table);
    if (!report.readToEnd())
        m_readFailure = report.readError;
    return report;
}

StoreResult RecordStore::refusal() const
{
    return StoreResult::failure(
        QStringLiteral("the database file could not be read at start (%1), so nothing will be "
                       "written to it until the program is restarted")
            .arg(m_readFailure));
}

StoreResult RecordStore::AppendRecord(int row) const
{
    if (writesRefused())
        return refusal();
    return m_file.AppendRecord(m_table.row(row));
}

StoreResult RecordStore::SaveAllRecords() const
{
    if (writesRefused())
        return refusal();
    return m_file.SaveAllRecords(m_table);
}

QString RecordStore::problemWithRecord(const TravelRecord& record)
{
    // A rewrite encodes the line with its CR LF: both must fit.
    const qsizetype length = record.fileLine().size() + 2;
    if (length > LineCodec::kMaxEncodableLength)
        return QStringLiteral("the record is too long to be stored (%1 characters, at most %2)")
            .arg(length - 2)
            .arg(LineCodec::kMaxEncodableLength - 2);
    return {};
}

StoreResult RecordStore::appendRow(TravelRecord record)
{
    if (m_table.isFull())
        return StoreResult::failure(
            QStringLiteral("the travel log is full (%1 records)").arg(RecordTable::MaxRows));
    if (const QString why = problemWithRecord(record); !why.isEmpty())
        return StoreResult::failure(why);
    m_table.append(std::move(record));
    return StoreResult::success();
}

StoreResult RecordStore::replaceRow(int row, TravelRecord record)
{
    if (const QString why = problemWithRecord(record); !why.isEmpty())
        return StoreResult::failure(why);
    m_table.row(row) = std::move(record);
    return StoreResult::success();
}
