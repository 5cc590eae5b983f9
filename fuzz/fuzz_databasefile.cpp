// Any bytes as the content of a database file: the load never crashes, every field of every
// row can be read, and a full rewrite of what was loaded loads back to the same rows and the
// same unreadable lines.
#include "store/DatabaseFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RecordTable table;
    LoadReport report;
    DatabaseFile::parseContent(QByteArrayView(data, qsizetype(size)), table, report);
    if (report.records != table.rowCount() || report.unreadableLines != table.unreadableLines().size())
        std::abort();
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < RecordColumns::Count; ++column)
            (void)table.row(row).field(column);
        if (!table.row(row).storedLine().endsWith('|'))
            std::abort();
    }

    RecordTable again;
    LoadReport second;
    DatabaseFile::parseContent(DatabaseFile::rewrittenContent(table), again, second);
    if (again.rowCount() != table.rowCount() || again.unreadableLines() != table.unreadableLines())
        std::abort();
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!(again.row(row) == table.row(row)))
            std::abort();
    }
    return 0;
}
