#include "store/DatabaseReader.h"

#include "store/LineCodec.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>

namespace {

const QByteArrayView kRecordKey(LineCodec::kApplicationTitle);
constexpr QByteArrayView kByteOrderMark = DatabaseReader::kByteOrderMark;
constexpr qsizetype kMarkLength = kByteOrderMark.size();
// Large enough that a read costs little per byte, small enough to stay in the cache.
constexpr qsizetype kChunk = 1 << 20;
// Below this a second thread costs more than it saves.
constexpr qint64 kSplitFrom = 1 << 20;

// Finds line ends, a CR or an LF, in one pass over the text however the lines end.
class LineEnds
{
public:
    explicit LineEnds(QByteArrayView text) : m_text(text) {}

    // Position of the first line end at or after from, or the text's size.
    qsizetype next(qsizetype from)
    {
        if (m_cr < from)
            m_cr = find('\r', from);
        if (m_lf < from)
            m_lf = find('\n', from);
        return std::min(m_cr, m_lf);
    }

private:
    qsizetype find(char c, qsizetype from) const
    {
        const qsizetype at = m_text.indexOf(c, from);
        return at < 0 ? m_text.size() : at;
    }

    QByteArrayView m_text;
    qsizetype m_cr = -1;
    qsizetype m_lf = -1;
};

// Position just after the last line end, 0 when there is none.
qsizetype afterLastLineEnd(QByteArrayView text)
{
    return std::max(text.lastIndexOf('\r'), text.lastIndexOf('\n')) + 1;
}

// Where the lines go: into a table, or only into the counts when table is null. Counting
// decodes every line into one reused buffer and builds no record.
struct Lines
{
    RecordTable* table = nullptr;
    QByteArray scratch;
};

void parseLine(QByteArrayView line, Lines& lines, LoadReport& report)
{
    if (line.isEmpty())
        return;
    QByteArray decoded;
    QByteArray& buffer = lines.table ? decoded : lines.scratch;
    TravelRecord::LineKind kind = TravelRecord::LineKind::NoField;
    if (LineCodec::decodeBytes(line, kRecordKey, &buffer)) {
        if (!lines.table) {
            kind = TravelRecord::kindOfDecodedLine(buffer);
        } else if (bool complete = false;
                   auto record = TravelRecord::fromDecodedLine(std::move(decoded), &complete)) {
            lines.table->append(std::move(*record));
            kind = complete ? TravelRecord::LineKind::Complete : TravelRecord::LineKind::Incomplete;
        }
    }
    if (kind == TravelRecord::LineKind::NoField) {
        if (lines.table)
            lines.table->addUnreadableLine(line.toByteArray());
        ++report.unreadableLines;
        return;
    }
    ++report.records;
    if (kind == TravelRecord::LineKind::Incomplete)
        ++report.incompleteRecords;
}

void parseLines(QByteArrayView text, Lines& lines, LoadReport& report)
{
    LineEnds ends(text);
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype end = ends.next(from);
        parseLine(text.sliced(from, end - from), lines, report);
        from = end + 1;
    }
}

QString readFailure(const QString& what, const QFile& file)
{
    return QStringLiteral("%1 \"%2\": %3")
        .arg(what, QDir::toNativeSeparators(file.fileName()), file.errorString());
}

// Parses the bytes of an open file from its position up to end (or its end when end < 0),
// chunk by chunk; a line that runs over a chunk is carried into the next. A read that fails
// keeps the rows read so far and sets the reason.
void readRange(QFile& file, qint64 end, Lines& lines, LoadReport& report)
{
    const bool atStart = file.pos() == 0;
    qint64 remaining = end < 0 ? std::numeric_limits<qint64>::max() : end - file.pos();
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qsizetype filled = 0;
    bool first = true;
    for (;;) {
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2); // one line longer than a chunk
        const qint64 wanted = std::min<qint64>(buffer.size() - filled, remaining);
        const qint64 got = wanted > 0 ? file.read(buffer.data() + filled, wanted) : 0;
        if (got < 0) {
            report.readError = readFailure(QStringLiteral("Cannot read"), file);
            return;
        }
        filled += got;
        remaining -= got;
        const bool last = got == 0;
        QByteArrayView text(buffer.constData(), filled);
        qsizetype from = 0;
        if (first && atStart && text.startsWith(kByteOrderMark))
            from = kMarkLength;
        first = false;
        const qsizetype upTo = last ? filled : std::max(from, afterLastLineEnd(text));
        parseLines(text.sliced(from, upTo - from), lines, report);
        std::memmove(buffer.data(), buffer.constData() + upTo, size_t(filled - upTo));
        filled -= upTo;
        if (last)
            return;
    }
}

// Where a file of the given size is split between two threads: the start of the first line
// at or after the middle; 0 when it is not worth splitting.
qint64 splitPoint(QFile& file, qint64 size)
{
    if (size < kSplitFrom || std::thread::hardware_concurrency() < 2 || !file.seek(size / 2))
        return 0;
    // A few typical lines; a file whose middle line is longer is read by one thread.
    QByteArray probe(4096, Qt::Uninitialized);
    const qint64 got = file.read(probe.data(), probe.size());
    if (got <= 0)
        return 0;
    const qsizetype end = LineEnds(QByteArrayView(probe.constData(), got)).next(0);
    return end < got ? size / 2 + end + 1 : 0;
}

void join(RecordTable* table, LoadReport& report, RecordTable second, const LoadReport& more)
{
    if (table)
        table->appendTable(std::move(second));
    report.records += more.records;
    report.unreadableLines += more.unreadableLines;
    report.incompleteRecords += more.incompleteRecords;
    if (report.readError.isEmpty())
        report.readError = more.readError;
}

void read(const QString& path, RecordTable* table, LoadReport& report)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        report.readError = readFailure(QStringLiteral("Cannot open"), file);
        return;
    }
    const qint64 size = file.size();
    const auto expectedRows = [](qint64 bytes) {
        return int(std::min<qint64>(bytes / 400, RecordTable::MaxRows));
    };
    Lines lines{table, {}};
    const qint64 split = splitPoint(file, size);
    if (split == 0) {
        if (table)
            table->reserve(table->rowCount() + expectedRows(size));
        if (file.seek(0))
            readRange(file, -1, lines, report);
        else
            report.readError = readFailure(QStringLiteral("Cannot read"), file);
        return;
    }
    // The second half, to the file's end, on a handle of its own.
    RecordTable second;
    LoadReport secondReport;
    std::thread worker([&] {
        QFile rest(path);
        if (!rest.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !rest.seek(split)) {
            secondReport.readError = readFailure(QStringLiteral("Cannot read"), rest);
            return;
        }
        Lines restLines{table ? &second : nullptr, {}};
        if (table)
            second.reserve(expectedRows(size - split));
        readRange(rest, -1, restLines, secondReport);
    });
    if (table)
        table->reserve(table->rowCount() + expectedRows(split));
    if (file.seek(0))
        readRange(file, split, lines, report);
    else
        report.readError = readFailure(QStringLiteral("Cannot read"), file);
    worker.join();
    join(table, report, std::move(second), secondReport);
}

} // namespace

void DatabaseReader::readFile(const QString& path, RecordTable& table, LoadReport& report)
{
    read(path, &table, report);
}

void DatabaseReader::countFile(const QString& path, LoadReport& report)
{
    read(path, nullptr, report);
}

void DatabaseReader::parseContent(QByteArrayView content, RecordTable& table, LoadReport& report)
{
    if (content.startsWith(kByteOrderMark))
        content = content.sliced(kMarkLength);
    Lines lines{&table, {}};
    parseLines(content, lines, report);
}
