#include "store/TravelRecord.h"

#include "store/Cp1252.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ROAMLOG_SSE2_SCAN 1
#endif

#ifdef ROAMLOG_SSE2_SCAN
namespace {

// Set bits of a 16-bit mask, in a few instructions also where the processor has no popcount
// (std::popcount becomes a library call then).
inline int bitCount16(unsigned x)
{
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return int((x + (x >> 8)) & 0x1Fu);
}

} // namespace
#endif

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
    const int found = record.findEnds();
    if (complete)
        *complete = found == RecordColumns::StoredCount;
    if (found < RecordColumns::StoredCount) {
        // A short line leaves the missing columns empty.
        record.m_data.append(QByteArray(RecordColumns::StoredCount - found, '|'));
        record.rebuildEnds();
    }
    return record;
}

TravelRecord::TravelRecord(QByteArray data) : m_data(std::move(data)) {}

int TravelRecord::findEnds()
{
    return findSeparators(m_data, m_end);
}

int TravelRecord::findSeparators(QByteArrayView line, Ends& ends)
{
    // Fields are short: one pass over the bytes beats a search call per field.
    const char* data = line.data();
    const qsizetype size = line.size();
    int column = 0;
    qsizetype i = 0;
#ifdef ROAMLOG_SSE2_SCAN
    // 16 bytes at a time. The positions of the separators among them are written four at a
    // time without a branch per separator (fields are short, so a block rarely holds more);
    // the array has room for the positions written beyond the count.
    const __m128i bar = _mm_set1_epi8('|');
    std::array<int, RecordColumns::StoredCount + 16> found;
    for (; i + 16 <= size && column < RecordColumns::StoredCount; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, bar)));
        const int count = bitCount16(mask);
        int* out = found.data() + column;
        for (int j = 0; j < 4; ++j) {
            out[j] = int(i) + std::countr_zero(mask | 0x10000u);
            mask &= mask - 1;
        }
        for (int j = 4; j < count; ++j) {
            out[j] = int(i) + std::countr_zero(mask);
            mask &= mask - 1;
        }
        column += count;
    }
    if (column >= RecordColumns::StoredCount) {
        std::copy_n(found.begin(), RecordColumns::StoredCount, ends.begin());
        return RecordColumns::StoredCount;
    }
    std::copy_n(found.begin(), column, ends.begin());
#endif
    for (; i < size; ++i) {
        if (data[i] == '|') {
            ends[size_t(column)] = int(i);
            if (++column == RecordColumns::StoredCount)
                break;
        }
    }
    return column;
}

TravelRecord::LineKind TravelRecord::kindOfDecodedLine(QByteArrayView decoded)
{
    Ends ends;
    const int found = findSeparators(decoded, ends);
    if (found == 0)
        return LineKind::NoField;
    return found == RecordColumns::StoredCount ? LineKind::Complete : LineKind::Incomplete;
}

void TravelRecord::rebuildEnds()
{
    findEnds();
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
