#include "store/TravelRecord.h"

#include "store/Cp1252.h"

TravelRecord::TravelRecord() : m_data(RecordColumns::StoredCount, '|')
{
    rebuildEnds();
}

std::optional<TravelRecord> TravelRecord::fromDecodedLine(QByteArray decoded, bool* complete)
{
    const qsizetype last = decoded.lastIndexOf('|');
    if (last < 0)
        return std::nullopt;
    TravelRecord record(std::move(decoded));
    record.m_data.truncate(last + 1);
    const qsizetype separators = record.m_data.count('|');
    if (complete)
        *complete = separators >= RecordColumns::StoredCount;
    if (separators < RecordColumns::StoredCount)
        record.m_data.append(QByteArray(RecordColumns::StoredCount - separators, '|'));
    record.rebuildEnds();
    return record;
}

TravelRecord::TravelRecord(QByteArray data) : m_data(std::move(data)) {}

void TravelRecord::rebuildEnds()
{
    qsizetype from = 0;
    for (int column = 0; column < RecordColumns::StoredCount; ++column) {
        from = m_data.indexOf('|', from);
        m_end[column] = int(from);
        ++from;
    }
}

QByteArrayView TravelRecord::fieldBytes(int column) const
{
    if (column < 0 || column >= RecordColumns::StoredCount)
        return {};
    const int begin = column == 0 ? 0 : m_end[column - 1] + 1;
    return QByteArrayView(m_data).sliced(begin, m_end[column] - begin);
}

QString TravelRecord::field(int column) const
{
    return Cp1252::toUnicode(fieldBytes(column));
}

QString TravelRecord::problemWithValue(const QString& text)
{
    if (text.contains(QLatin1Char('|')))
        return QStringLiteral("it contains \"|\", the field separator");
    for (const QChar ch : text) {
        if (!Cp1252::canEncode(ch))
            return QStringLiteral("the character \"%1\" (U+%2) cannot be stored in Windows-1252")
                .arg(ch)
                .arg(ch.unicode(), 4, 16, QLatin1Char('0'));
    }
    return {};
}

std::optional<FieldProblem> TravelRecord::setField(int column, const QString& text)
{
    if (column < 0 || column >= RecordColumns::Count)
        return FieldProblem{column, QStringLiteral("there is no such column")};
    if (const QString reason = problemWithValue(text); !reason.isEmpty())
        return FieldProblem{column, reason};
    if (column == RecordColumns::PostId)
        return std::nullopt; // shown in the list only, never stored
    const int begin = column == 0 ? 0 : m_end[column - 1] + 1;
    m_data.replace(begin, m_end[column] - begin, Cp1252::fromUnicode(text));
    rebuildEnds();
    return std::nullopt;
}

QByteArrayView TravelRecord::storedLine() const
{
    return QByteArrayView(m_data).first(m_end[RecordColumns::StoredCount - 1] + 1);
}

QString TravelRecord::RowToLine() const
{
    return Cp1252::toUnicode(storedLine());
}
