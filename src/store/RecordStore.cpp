#include "store/RecordStore.h"

#include "store/FolderLock.h"
#include "store/LeftoverFiles.h"
#include "store/LineCodec.h"

RecordStore::RecordStore(const QString& folder) : m_folder(folder), m_file(folder) {}
RecordStore::RecordStore(RecordStore&&) noexcept = default;
RecordStore::~RecordStore() = default;

QString RecordStore::lockFolder(int waitMs)
{
    if (!m_lock)
        m_lock = std::make_unique<FolderLock>(m_folder);
    if (QString why = m_lock->acquire(waitMs); !why.isEmpty())
        return why;
    LeftoverFiles::removeLeftovers(m_folder, {QLatin1String(DatabaseFile::kFileName),
                                              QLatin1String(DatabaseFile::kBackupName)});
    return {};
}

bool RecordStore::folderHeldElsewhere() const
{
    return m_lock && m_lock->heldElsewhere();
}

LoadReport RecordStore::LoadDatabase()
{
    Reading reading = readAgain();
    const LoadReport report = reading.report;
    adopt(std::move(reading));
    if (!report.readToEnd())
        m_readFailure = report.readError;
    return report;
}

RecordStore::Reading RecordStore::readAgain() const
{
    Reading reading;
    // Taken before reading: a change made while the file is read shows at the next write.
    reading.stamp = m_file.stamp();
    reading.report = m_file.LoadDatabase(reading.table);
    return reading;
}

void RecordStore::adopt(Reading reading)
{
    m_table = std::move(reading.table);
    m_seen = reading.stamp;
    m_readFailure.clear();
}

StoreResult RecordStore::refusal() const
{
    if (!m_readOnly.isEmpty())
        return StoreResult::failure(m_readOnly);
    if (!m_readFailure.isEmpty())
        return StoreResult::failure(
            QStringLiteral("the database file could not be read at start (%1), so nothing will be "
                           "written to it until the program is restarted")
                .arg(m_readFailure));
    if (fileChanged())
        return StoreResult::changedOnDisk(
            QStringLiteral("%1 was changed by another program since it was read")
                .arg(QLatin1String(DatabaseFile::kFileName)));
    return StoreResult::success();
}

StoreResult RecordStore::AppendRecord(int row)
{
    if (StoreResult refused = refusal(); !refused)
        return refused;
    const StoreResult result = m_file.AppendRecord(m_table.row(row));
    m_seen = m_file.stamp();
    return result;
}

StoreResult RecordStore::SaveAllRecords()
{
    if (StoreResult refused = refusal(); !refused)
        return refused;
    const StoreResult result = m_file.SaveAllRecords(m_table);
    m_seen = m_file.stamp();
    return result;
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
