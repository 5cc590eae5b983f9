#include "CsvWriter.h"

bool CsvWriter::needsQuotes(QStringView field)
{
    for (const QChar ch : field) {
        switch (ch.unicode()) {
        case u',':
        case u'"':
        case u'\r':
        case u'\n':
            return true;
        default:
            break;
        }
    }
    return false;
}

void CsvWriter::writeField(QStringView field)
{
    if (!needsQuotes(field)) {
        m_bytes += field.toUtf8();
        return;
    }
    m_bytes += '"';
    m_bytes += field.toUtf8().replace('"', QByteArrayView("\"\""));
    m_bytes += '"';
}

void CsvWriter::writeRow(const QStringList& fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_bytes += ',';
        writeField(fields[i]);
    }
    m_bytes += "\r\n";
}
