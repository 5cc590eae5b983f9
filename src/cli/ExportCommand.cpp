#include "ExportCommand.h"

#include "CsvWriter.h"
#include "FolderRecords.h"
#include "RecordCsv.h"
#include "StandardStreams.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString writeFile(const QString& path, const QByteArray& bytes)
{
    // A whole file or none: an export that fails half-way leaves an older export intact.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    const QString why = QStringLiteral("cannot write \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString());
    file.cancelWriting();
    return why;
}

} // namespace

CommandResult ExportCommand::run(const QString& folder, const QString& outputPath)
{
    FolderRecords records(folder);
    if (const QString why = records.load(); !why.isEmpty())
        return CommandResult::failure(ExitStatus::FileError, why);

    CsvWriter csv;
    csv.writeRow(RecordCsv::headerRow());
    const RecordStore& store = records.store();
    int longer = 0;
    for (int row = 0; row < store.rowCount(); ++row) {
        const TravelRecord& record = store.row(row);
        csv.writeRow(RecordCsv::fieldsOf(record));
        if (record.fileLine().size() > record.storedLine().size())
            ++longer;
    }

    if (outputPath.isEmpty()) {
        if (!StandardStreams::writeOut(csv.bytes()))
            return CommandResult::failure(ExitStatus::FileError,
                                          QStringLiteral("cannot write to standard output"));
    } else if (const QString why = writeFile(outputPath, csv.bytes()); !why.isEmpty()) {
        return CommandResult::failure(ExitStatus::FileError, why);
    }

    CommandResult result;
    if (const int unreadable = records.report().unreadableLines; unreadable > 0) {
        result.errors.append(
            QStringLiteral("note: %1 unreadable lines of the database file are not in the export")
                .arg(unreadable));
    }
    if (longer > 0) {
        result.errors.append(QStringLiteral("note: %1 records hold fields beyond the 24th, which "
                                            "are not in the export")
                                 .arg(longer));
    }
    return result;
}
