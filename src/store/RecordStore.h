#pragma once

#include "store/DatabaseFile.h"
#include "store/FileStamp.h"
#include "store/RecordTable.h"
#include "store/StoreResult.h"

#include <memory>

class FolderLock;

// The records of one program folder: the table in memory and the database file it is kept in.
// Every change to the table goes through here and is written to the file at once.
class RecordStore
{
public:
    explicit RecordStore(const QString& folder);
    RecordStore(RecordStore&&) noexcept;
    ~RecordStore();

    const RecordTable& table() const { return m_table; }
    const DatabaseFile& file() const { return m_file; }
    int rowCount() const { return m_table.rowCount(); }
    const TravelRecord& row(int index) const { return m_table.row(index); }

    // Makes this store the one writer of its folder (FolderLock), waiting up to waitMs for
    // another to finish. "" once held; the temporary files that writers killed part-way left
    // behind are removed then. Else why not.
    QString lockFolder(int waitMs);
    // After a failed lockFolder: whether another program holds the folder.
    bool folderHeldElsewhere() const;
    // Refuses every later append and rewrite with the reason given.
    void openReadOnly(const QString& reason) { m_readOnly = reason; }
    QString readOnlyReason() const { return m_readOnly; }

    // Reads the file into the table, replacing what it held. When the file exists but could
    // not be read to its end, every later append and rewrite is refused: they would replace
    // the records that were not read.
    LoadReport LoadDatabase();

    // The file as it is now, read into a table of its own without changing the store.
    struct Reading
    {
        LoadReport report;
        RecordTable table;
        FileStamp stamp;
    };
    Reading readAgain() const;
    // Takes a reading read to its end as the table and as the file the store has seen.
    void adopt(Reading reading);
    bool writesRefused() const { return !m_readFailure.isEmpty() || !m_readOnly.isEmpty(); }
    // Whether the file is no longer the one this store read or last wrote: another program
    // wrote, replaced or removed it. Appends and rewrites are refused then (fileChanged), so
    // that no record the store has not seen is written over; LoadDatabase reads it again.
    bool fileChanged() const { return m_file.stamp() != m_seen; }

    // The plain line of a row (0-based): columns 0 to 23, each followed by "|".
    QString RowToLine(int row) const { return m_table.row(row).RowToLine(); }

    // Writes the line of one row to the end of the file.
    // Refused while writes are refused (above) or the file changed since it was read.
    StoreResult AppendRecord(int row);
    StoreResult SaveAllRecords();

    // Why a record cannot be stored ("" when it can): a line too long for the encoding.
    static QString problemWithRecord(const TravelRecord& record);

    // Adds a row at the end of the table; refused when the table is full or the record cannot
    // be stored. The file is not written: the caller appends or rewrites.
    StoreResult appendRow(TravelRecord record);
    // Changes a row in the table; refused when the result cannot be stored.
    StoreResult replaceRow(int row, TravelRecord record);
    void removeRow(int row) { m_table.remove(row); }
    // Puts a row back at a position (0-based), e.g. when its removal could not be saved.
    void insertRow(int row, TravelRecord record) { m_table.insert(row, std::move(record)); }
    void reorder(const std::vector<int>& newOrder) { m_table.reorder(newOrder); }
    void clear() { m_table.clear(); }

private:
    // Why no write may be made now; success when it may.
    StoreResult refusal() const;

    QString m_folder;
    DatabaseFile m_file;
    std::unique_ptr<FolderLock> m_lock;
    QString m_readFailure; // why the file could not be read at start
    QString m_readOnly;    // why this store may not write
    FileStamp m_seen;      // the file as read or last written
    RecordTable m_table;
};
