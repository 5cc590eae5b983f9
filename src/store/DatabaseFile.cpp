#include "store/DatabaseFile.h"

#include "store/DatabaseReader.h"
#include "store/FileReplacement.h"
#include "store/LineCodec.h"
#include "store/PlatformFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using FileReplacement::describe;
using FileReplacement::reasonOf;
using FileReplacement::writeWhole;

const QByteArrayView kLineKey(LineCodec::kApplicationTitle);
constexpr char kLineEnd[] = "\r\n";

QString describeFailure(const QString& what, const QFileDevice& file)
{
    return describe(what, file.fileName(), reasonOf(file));
}

} // namespace

DatabaseFile::DatabaseFile(const QString& folder)
    : m_path(QDir(folder).filePath(QLatin1String(kFileName))),
      m_backupPath(QDir(folder).filePath(QLatin1String(kBackupName)))
{
    // A write past a file size limit must fail with its reason, as on a full disk, instead of
    // ending the program part-way through an append: every program that writes a log ignores
    // the signal that would end it.
    static const bool ignored = [] {
        PlatformFiles::ignoreFileSizeLimitSignal();
        return true;
    }();
    Q_UNUSED(ignored);
}

void DatabaseFile::parseContent(QByteArrayView content, RecordTable& table, LoadReport& report)
{
    DatabaseReader::parseContent(content, table, report);
}

bool DatabaseFile::exists() const
{
    // A link that leads nowhere, or in a circle, is a file that cannot be read, not a missing
    // one: reading it reports why, and nothing is written in its place.
    const QFileInfo info(m_path);
    return info.exists() || info.isSymLink();
}

FileStamp DatabaseFile::stamp() const
{
    return PlatformFiles::stampOf(m_path);
}

LoadReport DatabaseFile::LoadDatabase(RecordTable& table) const
{
    LoadReport report;
    if (!exists())
        return report;
    report.fileFound = true;
    DatabaseReader::readFile(m_path, table, report);
    return report;
}

LoadReport DatabaseFile::CheckDatabase() const
{
    LoadReport report;
    if (!exists())
        return report;
    report.fileFound = true;
    DatabaseReader::countFile(m_path, report);
    return report;
}

QByteArray DatabaseFile::appendedLine(const TravelRecord& record)
{
    return LineCodec::encodeBytes(record.fileLine(), kLineKey) + kLineEnd;
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
    out.reserve(size + DatabaseReader::kByteOrderMark.size());
    // A load skips one byte order mark at the start, so a kept line that begins with one would
    // lose it: such a file starts with one more. Encoded records are hex digits and never do.
    if (table.rowCount() == 0 && !table.unreadableLines().isEmpty() &&
        table.unreadableLines().front().startsWith(DatabaseReader::kByteOrderMark))
        out += DatabaseReader::kByteOrderMark;
    QByteArray plain;
    for (int i = 0; i < table.rowCount(); ++i) {
        plain.truncate(0); // keeps the buffer for the next row
        plain += table.row(i).fileLine();
        plain += kLineEnd;
        LineCodec::appendEncoded(out, plain, kLineKey);
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
    // Unbuffered: the line goes to the system in one write, and a failure leaves nothing in a
    // buffer that a later flush could still add to the file.
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return StoreResult::failure(describeFailure(QStringLiteral("Cannot open"), file));
    const qint64 size = file.size();
    QByteArray bytes = appendedLine(record);
    if (size > 0) {
        // A file whose last line lacks its line end must not run into the new line; one cut
        // between CR and LF gets only the LF, so that its last line stays readable.
        char last = 0;
        if (!file.seek(size - 1) || !file.getChar(&last))
            return StoreResult::failure(describeFailure(QStringLiteral("Cannot read"), file));
        if (last == '\r')
            bytes.prepend('\n');
        else if (last != '\n')
            bytes.prepend(kLineEnd);
    }
    if (!file.seek(size))
        return StoreResult::failure(describeFailure(QStringLiteral("Cannot write"), file));
    if (const QString why = writeWhole(file, bytes); !why.isEmpty()) {
        QString message = describe(QStringLiteral("Cannot write"), m_path, why);
        // A part of the line must not stay behind: it would load as a record cut short.
        if (!file.resize(size) || file.size() != size)
            message += QStringLiteral("; the part of the record already written could not be "
                                      "taken back (%1), so the file ends in an incomplete record")
                           .arg(reasonOf(file));
        return StoreResult::failure(message);
    }
    return StoreResult::success();
}

StoreResult DatabaseFile::SaveAllRecords(const RecordTable& table) const
{
    const QByteArray content = rewrittenContent(table);
    // The backup is put in place first, then the new file: at every moment the file as it was
    // before this rewrite is whole in one of the two, and a failure leaves the database as it
    // was.
    if (exists()) {
        QFile old(m_path);
        if (!old.open(QIODevice::ReadOnly))
            return StoreResult::failure(describeFailure(QStringLiteral("Cannot open"), old));
        const QByteArray previous = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return StoreResult::failure(describeFailure(QStringLiteral("Cannot read"), old));
        if (const QString why = FileReplacement::replace(m_backupPath, previous,
                                                         QStringLiteral("Cannot write the backup"));
            !why.isEmpty())
            return StoreResult::failure(why);
    }
    if (const QString why = FileReplacement::replace(m_path, content, QStringLiteral("Cannot write"));
        !why.isEmpty())
        return StoreResult::failure(why);
    return StoreResult::success();
}
