#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Reads CSV text row by row: UTF-8 (a leading byte order mark is skipped), fields separated by
// commas, rows ended by CR LF, LF or CR, fields in double quotes holding commas, doubled quotes
// and line breaks. A quote inside an unquoted field, text after a closing quote, a quoted
// field left open, bytes that are not UTF-8 (a sequence cut short at the end of a field too)
// and a NUL are errors; a UTF-16 file is refused as such. The apostrophe that CsvWriter puts
// before a field that a spreadsheet would take for a formula is taken off: one leading
// apostrophe of a field whose rest begins with =, +, -, @, a tab, a CR or an apostrophe.
class CsvReader
{
public:
    enum class Result
    {
        Row,
        End,
        Error
    };

    explicit CsvReader(QByteArrayView content);

    // Reads the next row into *fields. An empty line gives a row without fields.
    Result readRow(QStringList* fields);

    // The number of the row read last, the first row being 1.
    int rowNumber() const { return m_row; }

    // After an Error: why, and the position of the field in its row (0 for the first).
    QString error() const { return m_error; }
    int errorField() const { return m_errorField; }

private:
    Result fail(int field, const QString& why);
    bool atRowEnd() const;
    void skipRowEnd();

    QByteArrayView m_content;
    qsizetype m_pos = 0;
    int m_row = 0;
    QString m_error;
    int m_errorField = -1;
};
