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

bool CsvWriter::needsTextMark(QStringView field)
{
    if (field.isEmpty())
        return false;
    switch (field.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
    case u'\'':
        return true;
    default:
        return false;
    }
}

void CsvWriter::writeField(QStringView field)
{
    QByteArray bytes = field.toUtf8();
    if (needsTextMark(field))
        bytes.prepend('\'');
    if (!needsQuotes(field)) {
        m_bytes += bytes;
        return;
    }
    m_bytes += '"';
    m_bytes += bytes.replace('"', QByteArrayView("\"\""));
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
