#pragma once

#include "store/FileStamp.h"
#include "store/RecordTable.h"
#include "store/StoreResult.h"

#include <QString>

// What a load found.
struct LoadReport
{
    bool fileFound = false;
    int records = 0;
    // Lines that do not decode or hold no field: no row, kept for the next rewrite.
    int unreadableLines = 0;
    // Records (counted in records as well) whose line ends before its 24th field, as an
    // append cut short leaves it: loaded with the missing columns empty.
    int incompleteRecords = 0;
    // The system's reason when the file exists but could not be read to its end.
    QString readError;

    // False when some of the file may be missing from the table: nothing may be written then.
    bool readToEnd() const { return readError.isEmpty(); }
};

// The database file "Roamlog.ppd" and its backup "Roamlog.bak" in one folder: one record per
// line, each line the record's stored line encoded under the application title. Lines are
// written with CR LF; CR alone and LF alone end a line as well when reading, and a leading
// UTF-8 byte-order mark is skipped.
class DatabaseFile
{
public:
    static constexpr char kFileName[] = "Roamlog.ppd";
    static constexpr char kBackupName[] = "Roamlog.bak";

    explicit DatabaseFile(const QString& folder);

    QString path() const { return m_path; }
    QString backupPath() const { return m_backupPath; }

    // Whether there is a file (or a link, even one that leads nowhere) at the path.
    bool exists() const;
    // The file's stamp as it is now.
    FileStamp stamp() const;

    // Fills the (empty) table from the file. Lines that do not decode, or hold no field, load
    // no row; they are kept in the table and put back at the end by the next rewrite.
    LoadReport LoadDatabase(RecordTable& table) const;

    // Reads the file as LoadDatabase does and counts its records and damaged lines, keeping
    // none and changing nothing in the folder.
    LoadReport CheckDatabase() const;

    // Appends one record's line in a single write; on failure the file is cut back to its old
    // size, and the message says so if that did not succeed.
    StoreResult AppendRecord(const TravelRecord& record) const;

    // Rewrites the whole file from the table, keeping the previous file as the backup. Both
    // are written under temporary names and put in place each in one step, the backup first.
    // On a failure the database file stays as it was.
    StoreResult SaveAllRecords(const RecordTable& table) const;

    // The bytes of each kind of line, as the file holds them.
    static QByteArray appendedLine(const TravelRecord& record);
    static QByteArray rewrittenContent(const RecordTable& table);

    // Splits file content into records and unreadable lines, as a load does.
    static void parseContent(QByteArrayView content, RecordTable& table, LoadReport& report);

private:
    QString m_path;
    QString m_backupPath;
};
