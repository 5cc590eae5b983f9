#pragma once

#include "store/DatabaseFile.h"

#include <QByteArrayView>
#include <QString>

// Reads the lines of a database file into a table. The file is read in chunks that are parsed
// as they arrive, so a 16 MB log is never held whole in memory, and a large file is read as
// two halves on two threads, joined in file order.
class DatabaseReader
{
public:
    // Skipped once at the start of a file, as some editors write it.
    static constexpr QByteArrayView kByteOrderMark{"\xEF\xBB\xBF", 3};

    // Reads the file at path into table (which may already hold rows: they stay first).
    static void readFile(const QString& path, RecordTable& table, LoadReport& report);

    // Reads the file as readFile does and counts what it holds, keeping no record.
    static void countFile(const QString& path, LoadReport& report);

    // The same for content already in memory.
    static void parseContent(QByteArrayView content, RecordTable& table, LoadReport& report);
};
