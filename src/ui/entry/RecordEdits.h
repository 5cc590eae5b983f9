#pragma once

#include "store/DatabaseFile.h"
#include "store/StoreResult.h"
#include "store/TravelRecord.h"

#include <QString>

#include <optional>

class RecordListModel;
class RecordStore;

// The changes the entry commands and their undo make to the records, each written to the
// database file at once. When the file cannot be written the list is put back as the file
// has it, so what the user sees is always what is stored.
class RecordEdits
{
public:
    RecordEdits(RecordStore& store, RecordListModel* model);

    const RecordStore& store() const { return m_store; }

    // When another program changed the file since the list was read or last stored, reads it
    // again and returns what the load found; nullopt when it had not changed. Only a file read
    // to its end replaces the list; otherwise the list stays and readError says why.
    std::optional<LoadReport> catchUp();

    // Adds a record at the end and appends its line to the file. A record offered for sharing
    // is appended unmarked and gets its mark in the list afterwards, as every new record does;
    // the length check counts the mark, so a record that fits only without it is refused.
    StoreResult append(const TravelRecord& record);
    // Overwrites a row (0-based) and rewrites the file.
    StoreResult replace(int row, const TravelRecord& record);
    // Takes a row out and rewrites the file.
    StoreResult remove(int row);
    // Puts a record at a row (0-based) and rewrites the file.
    StoreResult insert(int row, const TravelRecord& record);

    // The row that holds this record, its upload mark aside: the hinted row when it matches,
    // otherwise the first that does; -1 when none does.
    int find(const TravelRecord& record, int hint) const;

    // Whether two records hold the same fields, their upload marks aside (sharing changes marks).
    static bool sameFields(const TravelRecord& a, const TravelRecord& b);
    // A copy of a record with the upload mark of another.
    static TravelRecord withMarkOf(TravelRecord record, const TravelRecord& markSource);

private:
    RecordStore& m_store;
    RecordListModel* m_model;
};
