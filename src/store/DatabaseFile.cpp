#include "store/DatabaseFile.h"

#include "store/DatabaseReader.h"
#include "store/FolderSync.h"
#include "store/LeftoverFiles.h"
#include "store/LineCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArrayView kKey(LineCodec::kApplicationTitle);
constexpr char kLineEnd[] = "\r\n";

// The system's reason for the last failure of a file. Qt reports a short write as a success
// without a reason, so a device without an error gets a plain account instead of
// "Unknown error".
QString reasonOf(const QFileDevice& file)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return QStringLiteral("the system accepted fewer bytes than were written");
}

QString describe(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason);
}

QString describe(const QString& what, const QFileDevice& file)
{
    return describe(what, file.fileName(), reasonOf(file));
}

// Writes all bytes with as few writes as the system allows. After a short write the rest is
// written again, which either completes or fails with the system's reason (a full disk, a
// file size limit). Returns that reason, or "" when everything was written.
QString writeWhole(QFileDevice& file, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return reasonOf(file);
        done += written;
    }
    return {};
}

// Opens a QSaveFile that never falls back to writing the target in place. Unbuffered, so that
// a failing write reports at once and with its reason.
bool openSaveFile(QSaveFile& file)
{
    file.setDirectWriteFallback(false);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

// Writes the bytes; on failure returns the reason and discards the temporary file.
QString writeAll(QSaveFile& file, QByteArrayView bytes, const QString& what)
{
    const QString why = writeWhole(file, bytes);
    if (why.isEmpty())
        return {};
    const QString reason = describe(what, file.fileName(), why);
    file.cancelWriting();
    return reason;
}

// Writes a whole file under a temporary name and puts it in place; "" on success.
QString replaceFile(const QString& path, QByteArrayView bytes, const QString& what)
{
    QSaveFile file(path);
    if (!openSaveFile(file))
        return describe(QStringLiteral("Cannot create"), file);
    if (QString why = writeAll(file, bytes, what); !why.isEmpty())
        return why;
    if (!file.commit())
        return describe(what, file);
    return {};
}

} // namespace

DatabaseFile::DatabaseFile(const QString& folder)
    : m_folder(folder),
      m_path(QDir(folder).filePath(QLatin1String(kFileName))),
      m_backupPath(QDir(folder).filePath(QLatin1String(kBackupName)))
{
}

void DatabaseFile::parseContent(QByteArrayView content, RecordTable& table, LoadReport& report)
{
    DatabaseReader::parseContent(content, table, report);
}

LoadReport DatabaseFile::LoadDatabase(RecordTable& table) const
{
    LeftoverFiles::removeLeftovers(m_folder, {QLatin1String(kFileName), QLatin1String(kBackupName)});
    LoadReport report;
    if (!QFileInfo::exists(m_path))
        return report;
    report.fileFound = true;
    DatabaseReader::readFile(m_path, table, report);
    return report;
}

LoadReport DatabaseFile::CheckDatabase() const
{
    LoadReport report;
    if (!QFileInfo::exists(m_path))
        return report;
    report.fileFound = true;
    DatabaseReader::countFile(m_path, report);
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
    // Unbuffered: the line goes to the system in one write, and a failure leaves nothing in a
    // buffer that a later flush could still add to the file.
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
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
    if (!file.seek(size))
        return StoreResult::failure(describe(QStringLiteral("Cannot write"), file));
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

    // The new backup is written beside the old one and committed only once the new file is
    // in place; a failure before that leaves both files as they were.
    const bool haveOld = QFileInfo::exists(m_path);
    QByteArray previous;
    QSaveFile backup(m_backupPath);
    if (haveOld) {
        QFile old(m_path);
        if (!old.open(QIODevice::ReadOnly))
            return StoreResult::failure(describe(QStringLiteral("Cannot open"), old));
        previous = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return StoreResult::failure(describe(QStringLiteral("Cannot read"), old));
        if (!openSaveFile(backup))
            return StoreResult::failure(describe(QStringLiteral("Cannot create the backup"), backup));
        if (const QString why = writeAll(backup, previous, QStringLiteral("Cannot write the backup"));
            !why.isEmpty())
            return StoreResult::failure(why);
    }

    if (const QString why = replaceFile(m_path, content, QStringLiteral("Cannot write"));
        !why.isEmpty())
        return StoreResult::failure(why); // the backup's temporary file goes with it
    FolderSync::syncFolder(m_folder);

    if (haveOld && !backup.commit()) {
        // The new file is in place but its backup is not: put the old file back, so that the
        // rewrite as a whole did not happen.
        QString message = describe(QStringLiteral("Cannot write the backup"), backup);
        if (const QString why = replaceFile(m_path, previous, QStringLiteral("Cannot restore"));
            !why.isEmpty())
            message += QStringLiteral("; the database file already holds the new records (%1)")
                           .arg(why);
        FolderSync::syncFolder(m_folder);
        return StoreResult::failure(message);
    }
    FolderSync::syncFolder(m_folder);
    return StoreResult::success();
}
