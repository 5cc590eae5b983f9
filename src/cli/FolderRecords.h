#pragma once

#include "store/RecordStore.h"

#include <QString>

// The records of one program folder, loaded for one command.
class FolderRecords
{
public:
    explicit FolderRecords(const QString& folder);

    // Reads the database file (a folder without one has no records). Returns why not when the
    // folder does not exist or the file cannot be read; "" on success.
    QString load();
    // Becomes the folder's one writer, waiting up to waitMs for another; then reads the file as
    // load does. Returns why not; *busy tells whether another program holds the folder.
    QString lockAndLoad(int waitMs, bool* busy);
    // Counts what the database file holds, as load reads it, keeping no record; the same
    // result as load otherwise.
    QString count();

    RecordStore& store() { return m_store; }
    const LoadReport& report() const { return m_report; }

private:
    QString missingFolder() const;

    QString m_folder;
    RecordStore m_store;
    LoadReport m_report;
};
