#include "CsvReader.h"

#include "CsvWriter.h"

#include <QStringDecoder>

namespace {

constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// Decodes a field; false when the bytes are not UTF-8.
bool decodeUtf8(QByteArrayView bytes, QString* out)
{
    // A U+FEFF inside a field is text, not a byte order mark to drop. The field is decoded
    // whole, so a sequence cut short at its end is an error, not state kept for more bytes.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                     QStringDecoder::Flag::Stateless);
    *out = decoder.decode(bytes);
    return !decoder.hasError();
}

// UTF-16 begins with its byte order mark, or, for the ASCII text a header is, with a NUL in
// one of its first two bytes and not in the other.
bool isUtf16(QByteArrayView content)
{
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF"))
        return true;
    return content.size() >= 2 && (content[0] == '\0') != (content[1] == '\0');
}

// The field as written before CsvWriter marked it as text.
QString withoutTextMark(QString text)
{
    if (text.size() >= 2 && text.front() == u'\'' && CsvWriter::needsTextMark(QStringView(text).sliced(1)))
        text.remove(0, 1);
    return text;
}

} // namespace

CsvReader::CsvReader(QByteArrayView content) : m_content(content)
{
    if (m_content.startsWith(kByteOrderMark))
        m_pos = kByteOrderMark.size();
    else if (isUtf16(m_content))
        fail(-1, QStringLiteral("the file is UTF-16 text; save it as UTF-8"));
}

CsvReader::Result CsvReader::fail(int field, const QString& why)
{
    m_errorField = field;
    m_error = why;
    return Result::Error;
}

bool CsvReader::atRowEnd() const
{
    return m_pos >= m_content.size() || m_content[m_pos] == '\r' || m_content[m_pos] == '\n';
}

void CsvReader::skipRowEnd()
{
    if (m_pos < m_content.size() && m_content[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_content.size() && m_content[m_pos] == '\n')
        ++m_pos;
}

CsvReader::Result CsvReader::readRow(QStringList* fields)
{
    fields->clear();
    if (!m_error.isEmpty())
        return Result::Error;
    if (m_pos >= m_content.size())
        return Result::End;
    ++m_row;
    if (atRowEnd()) {
        skipRowEnd();
        return Result::Row;
    }

    QByteArray bytes;
    for (;;) {
        const int index = int(fields->size());
        bytes.clear();
        if (m_pos < m_content.size() && m_content[m_pos] == '"') {
            ++m_pos;
            for (;;) {
                const qsizetype quote = m_content.indexOf('"', m_pos);
                if (quote < 0)
                    return fail(index, QStringLiteral("a quoted field is not closed"));
                bytes += m_content.sliced(m_pos, quote - m_pos);
                m_pos = quote + 1;
                if (m_pos < m_content.size() && m_content[m_pos] == '"') {
                    bytes += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (!atRowEnd() && m_content[m_pos] != ',')
                return fail(index, QStringLiteral("text follows the closing quote of a field"));
        } else {
            const qsizetype begin = m_pos;
            while (!atRowEnd() && m_content[m_pos] != ',') {
                if (m_content[m_pos] == '"')
                    return fail(
                        index, QStringLiteral("a quote in a field that is not enclosed in quotes"));
                ++m_pos;
            }
            bytes = m_content.sliced(begin, m_pos - begin).toByteArray();
        }

        // A NUL would end the text wherever it is handed on as a C string: refuse it.
        if (bytes.contains('\0'))
            return fail(index, QStringLiteral("the field holds a NUL character"));
        QString text;
        if (!decodeUtf8(bytes, &text))
            return fail(index, QStringLiteral("the text is not UTF-8"));
        fields->append(withoutTextMark(std::move(text)));

        if (atRowEnd()) {
            skipRowEnd();
            return Result::Row;
        }
        ++m_pos; // the comma
    }
}
