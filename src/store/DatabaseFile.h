#pragma once

#include "store/RecordTable.h"
#include "store/StoreResult.h"

#include <QString>

// What a load found.
struct LoadReport
{
    bool fileFound = false;
    int records = 0;
    int unreadableLines = 0;
    QString readError; // set when the file exists but could not be read to its end
};

// The database file "Roamlog.ppd" and its backup "Roamlog.bak" in one folder: one record per
// CR LF line, each line the record's stored line encoded under the application title.
class DatabaseFile
{
public:
    static constexpr char kFileName[] = "Roamlog.ppd";
    static constexpr char kBackupName[] = "Roamlog.bak";

    explicit DatabaseFile(const QString& folder);

    QString path() const { return m_path; }
    QString backupPath() const { return m_backupPath; }

    // Fills the (empty) table from the file. Lines that do not decode, or hold no field, load
    // no row; they are kept in the table and put back at the end by the next rewrite.
    LoadReport LoadDatabase(RecordTable& table) const;

    // Appends one record's line; on failure the file is left as it was.
    StoreResult AppendRecord(const TravelRecord& record) const;

    // Rewrites the whole file from the table after copying the previous file to the backup.
    // The new file replaces the old one in one step: on any failure both files stay as they were.
    StoreResult SaveAllRecords(const RecordTable& table) const;

    // The bytes of each kind of line, as the file holds them.
    static QByteArray appendedLine(const TravelRecord& record);
    static QByteArray rewrittenContent(const RecordTable& table);

    // Splits file content into records and unreadable lines.
    static void parseContent(QByteArrayView content, RecordTable& table, LoadReport& report);

private:
    QString m_path;
    QString m_backupPath;
};
