#include "store/DatabaseFile.h"

#include "store/LineCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArrayView kKey(LineCodec::kApplicationTitle);
constexpr char kLineEnd[] = "\r\n";

QString describe(const QString& what, const QFileDevice& file)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(file.fileName()),
                                               file.errorString());
}

// Opens a QSaveFile that never falls back to writing the target in place.
bool openSaveFile(QSaveFile& file)
{
    file.setDirectWriteFallback(false);
    return file.open(QIODevice::WriteOnly);
}

// Writes the bytes; on failure returns the reason and discards the temporary file.
QString writeAll(QSaveFile& file, const QByteArray& bytes, const QString& what)
{
    if (file.write(bytes) == bytes.size())
        return {};
    const QString reason = describe(what, file);
    file.cancelWriting();
    return reason;
}

} // namespace

DatabaseFile::DatabaseFile(const QString& folder)
    : m_path(QDir(folder).filePath(QLatin1String(kFileName))),
      m_backupPath(QDir(folder).filePath(QLatin1String(kBackupName)))
{
}

void DatabaseFile::parseContent(QByteArrayView content, RecordTable& table, LoadReport& report)
{
    QByteArray decoded;
    qsizetype from = 0;
    while (from < content.size()) {
        qsizetype end = content.indexOf('\n', from);
        if (end < 0)
            end = content.size();
        QByteArrayView line = content.sliced(from, end - from);
        from = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        std::optional<TravelRecord> record;
        if (LineCodec::decodeBytes(line, kKey, &decoded))
            record = TravelRecord::fromDecodedLine(decoded);
        if (record) {
            table.append(std::move(*record));
            ++report.records;
        } else {
            table.addUnreadableLine(line.toByteArray());
            ++report.unreadableLines;
        }
    }
}

LoadReport DatabaseFile::LoadDatabase(RecordTable& table) const
{
    LoadReport report;
    QFile file(m_path);
    if (!file.exists())
        return report;
    report.fileFound = true;
    if (!file.open(QIODevice::ReadOnly)) {
        report.readError = describe(QStringLiteral("Cannot open"), file);
        return report;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        report.readError = describe(QStringLiteral("Cannot read"), file);
    table.reserve(table.rowCount() + int(content.size() / 400));
    parseContent(content, table, report);
    return report;
}

QByteArray DatabaseFile::appendedLine(const TravelRecord& record)
{
    return LineCodec::encodeBytes(record.fileLine(), kKey) + kLineEnd;
}

QByteArray DatabaseFile::rewrittenContent(const RecordTable& table)
{
    // Sized before it is filled: a full log is some 16 MB, and growing the buffer step by
    // step costs as much as the encoding itself.
    qsizetype size = 0;
    for (int i = 0; i < table.rowCount(); ++i)
        size += (table.row(i).fileLine().size() + 2) * 2 + 2; // never shorter than the key
    for (const QByteArray& line : table.unreadableLines())
        size += line.size() + 2;
    QByteArray out;
    out.reserve(size);
    QByteArray plain;
    for (int i = 0; i < table.rowCount(); ++i) {
        plain.truncate(0); // keeps the buffer for the next row
        plain += table.row(i).fileLine();
        plain += kLineEnd;
        LineCodec::appendEncoded(out, plain, kKey);
        out += kLineEnd;
    }
    for (const QByteArray& line : table.unreadableLines()) {
        out += line;
        out += kLineEnd;
    }
    return out;
}

StoreResult DatabaseFile::AppendRecord(const TravelRecord& record) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        return StoreResult::failure(describe(QStringLiteral("Cannot open"), file));
    const qint64 size = file.size();
    QByteArray bytes = appendedLine(record);
    if (size > 0) {
        // A file whose last line lacks its line end must not run into the new line; one cut
        // between CR and LF gets only the LF, so that its last line stays readable.
        char last = 0;
        if (!file.seek(size - 1) || !file.getChar(&last))
            return StoreResult::failure(describe(QStringLiteral("Cannot read"), file));
        if (last == '\r')
            bytes.prepend('\n');
        else if (last != '\n')
            bytes.prepend(kLineEnd);
    }
    if (!file.seek(size) || file.write(bytes) != bytes.size() || !file.flush()) {
        const StoreResult failure =
            StoreResult::failure(describe(QStringLiteral("Cannot write"), file));
        file.resize(size); // take back a partial line
        return failure;
    }
    return StoreResult::success();
}

StoreResult DatabaseFile::SaveAllRecords(const RecordTable& table) const
{
    const QByteArray content = rewrittenContent(table);

    // The backup and the new file are both written whole under temporary names first; only
    // then are they put in place, the backup first.
    QSaveFile backup(m_backupPath);
    const bool haveOld = QFileInfo::exists(m_path);
    if (haveOld) {
        QFile old(m_path);
        if (!old.open(QIODevice::ReadOnly))
            return StoreResult::failure(describe(QStringLiteral("Cannot open"), old));
        const QByteArray previous = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return StoreResult::failure(describe(QStringLiteral("Cannot read"), old));
        if (!openSaveFile(backup))
            return StoreResult::failure(describe(QStringLiteral("Cannot create the backup"), backup));
        if (const QString why = writeAll(backup, previous, QStringLiteral("Cannot write the backup"));
            !why.isEmpty())
            return StoreResult::failure(why);
    }

    QSaveFile file(m_path);
    if (!openSaveFile(file))
        return StoreResult::failure(describe(QStringLiteral("Cannot create"), file));
    if (const QString why = writeAll(file, content, QStringLiteral("Cannot write")); !why.isEmpty())
        return StoreResult::failure(why);

    if (haveOld && !backup.commit()) {
        file.cancelWriting();
        return StoreResult::failure(describe(QStringLiteral("Cannot write the backup"), backup));
    }
    if (!file.commit())
        return StoreResult::failure(describe(QStringLiteral("Cannot write"), file));
    return StoreResult::success();
}
