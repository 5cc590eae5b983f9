#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>

// Builds CSV text as RFC 4180 has it: UTF-8, fields separated by commas, rows ended by CR LF,
// a field enclosed in double quotes (its quotes doubled) when it holds a comma, a quote, a CR
// or an LF. A field that a spreadsheet would run as a formula (it begins with =, +, -, @, a tab
// or a CR), or that begins with an apostrophe, gets a leading apostrophe, which spreadsheets
// take for "this is text" and CsvReader takes off again.
class CsvWriter
{
public:
    void writeRow(const QStringList& fields);

    const QByteArray& bytes() const { return m_bytes; }

    static bool needsQuotes(QStringView field);
    // Whether a field is written with a leading apostrophe.
    static bool needsTextMark(QStringView field);

private:
    void writeField(QStringView field);

    QByteArray m_bytes;
};
