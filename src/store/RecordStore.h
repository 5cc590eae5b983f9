#pragma once

#include "store/DatabaseFile.h"
#include "store/RecordTable.h"
#include "store/StoreResult.h"

// The records of one program folder: the table in memory and the database file it is kept in.
// Every change to the table goes through here and is written to the file at once.
class RecordStore
{
public:
    explicit RecordStore(const QString& folder);

    const RecordTable& table() const { return m_table; }
    const DatabaseFile& file() const { return m_file; }
    int rowCount() const { return m_table.rowCount(); }
    const TravelRecord& row(int index) const { return m_table.row(index); }

    // Loads the file into the (empty) table. When the file exists but could not be read to
    // its end, every later append and rewrite is refused: they would replace the records that
    // were not read.
    LoadReport LoadDatabase();
    bool writesRefused() const { return !m_readFailure.isEmpty(); }

    // The plain line of a row (0-based): columns 0 to 23, each followed by "|".
    QString RowToLine(int row) const { return m_table.row(row).RowToLine(); }

    // Writes the line of one row to the end of the file.
    StoreResult AppendRecord(int row) const;
    StoreResult SaveAllRecords() const;

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
    StoreResult refusal() const;

    DatabaseFile m_file;
    QString m_readFailure; // why the file could not be read at start
    RecordTable m_table;
};
