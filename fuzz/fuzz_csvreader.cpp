// Any bytes as a CSV file to import: the reader never crashes or loops, no field it gives holds
// a NUL, and the rows it read come back field for field when written as CSV and read again.
#include "CsvReader.h"
#include "CsvWriter.h"

#include <cstdlib>

namespace {

QList<QStringList> readAll(QByteArrayView content)
{
    CsvReader reader(content);
    QList<QStringList> rows;
    QStringList fields;
    while (reader.readRow(&fields) == CsvReader::Result::Row)
        rows.append(fields);
    return rows;
}

// What a write and a read give back: a row of one empty field is written as an empty line,
// which reads as a row without fields.
QList<QStringList> asWritten(QList<QStringList> rows)
{
    for (QStringList& row : rows) {
        if (row == QStringList{QString()})
            row.clear();
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QStringList> rows = readAll(QByteArrayView(data, qsizetype(size)));
    CsvWriter writer;
    for (const QStringList& row : rows) {
        for (const QString& field : row) {
            if (field.contains(QChar(0)))
                std::abort();
        }
        writer.writeRow(row);
    }
    // A text that starts with a byte order mark loses it when read again, as it should.
    const bool startsWithMark = !rows.isEmpty() && !rows.front().isEmpty() && rows.front().front().startsWith(QChar(0xFEFF));
    if (!startsWithMark && readAll(writer.bytes()) != asWritten(rows))
        std::abort();
    return 0;
}
