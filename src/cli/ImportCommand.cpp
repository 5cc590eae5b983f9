#include "ImportCommand.h"

#include "CsvReader.h"
#include "FolderRecords.h"
#include "RecordCsv.h"
#include "StandardStreams.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace {

QString located(int row, const QString& columnHeader, const QString& why)
{
    if (columnHeader.isEmpty())
        return QStringLiteral("row %1: %2").arg(row).arg(why);
    return QStringLiteral("row %1, column %2: %3").arg(row).arg(columnHeader, why);
}

// The header of the CSV field at a position, for messages about a row.
QString headerAt(const QStringList& header, int field)
{
    if (field >= 0 && field < int(header.size()))
        return header[field].trimmed();
    return QStringLiteral("%1 (beyond the header)").arg(field + 1);
}

QString nothingImported()
{
    return QStringLiteral("nothing was imported");
}

CommandResult refused(const QString& why)
{
    return {ExitStatus::Refused, {why, nothingImported()}};
}

} // namespace

CommandResult ImportCommand::run(const QString& folder, const QString& csvPath,
                                 const QDateTime& now)
{
    // The log is read only once no other program writes it, so that the rows are added to
    // what it holds at that moment.
    FolderRecords records(folder);
    bool busy = false;
    if (const QString why = records.lockAndLoad(kLockWaitMs, &busy); !why.isEmpty()) {
        if (busy)
            return {ExitStatus::Busy, {why, QStringLiteral("nothing was imported; try again once it is closed")}};
        return CommandResult::failure(ExitStatus::FileError, why);
    }

    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return CommandResult::failure(
            ExitStatus::FileError, QStringLiteral("cannot read \"%1\": %2")
                                       .arg(QDir::toNativeSeparators(csvPath), file.errorString()));
    }
    const QByteArray content = file.readAll();
    file.close();

    CsvReader reader(content);
    QStringList header;
    if (reader.readRow(&header) != CsvReader::Result::Row || header.isEmpty()) {
        QString why = reader.error();
        if (why.isEmpty())
            why = QStringLiteral("the file has no header row");
        else if (reader.errorField() >= 0)
            why = QStringLiteral("field %1: %2").arg(reader.errorField() + 1).arg(why);
        return refused(located(1, QString(), why));
    }
    QString headerProblem;
    int headerField = 0;
    const std::optional<RecordCsv> mapping =
        RecordCsv::forHeader(header, &headerProblem, &headerField);
    if (!mapping) {
        return refused(located(1, headerAt(header, headerField), headerProblem));
    }

    // Every row is checked before anything is written: the rows go into the table in memory,
    // and only a file without faults is stored.
    const QString stamp = now.toString(QStringLiteral("MM-dd-yyyy hh:mm:ss"));
    RecordStore& store = records.store();
    CommandResult result;
    int refusedRows = 0;
    int added = 0;
    QStringList fields;
    for (;;) {
        const CsvReader::Result read = reader.readRow(&fields);
        if (read == CsvReader::Result::End)
            break;
        if (read == CsvReader::Result::Error) {
            // The rest of the file cannot be told apart reliably: stop here.
            result.errors.append(
                located(reader.rowNumber(), headerAt(header, reader.errorField()), reader.error()));
            ++refusedRows;
            break;
        }
        if (fields.isEmpty())
            continue; // an empty line
        TravelRecord record;
        if (const auto problem = mapping->toRecord(fields, stamp, &record)) {
            if (++refusedRows <= kMaxReportedRows) {
                const QString column =
                    problem->column < 0 ? QString() : RecordCsv::headerOf(problem->column);
                result.errors.append(located(reader.rowNumber(), column, problem->reason));
            }
            continue;
        }
        if (const StoreResult stored = store.appendRow(std::move(record)); !stored) {
            // Only a full table refuses a record that passed the checks above; every later
            // row would be refused the same way.
            result.errors.append(located(reader.rowNumber(), QString(), stored.error));
            ++refusedRows;
            break;
        }
        ++added;
    }

    if (refusedRows > 0) {
        if (refusedRows > kMaxReportedRows)
            result.errors.append(QStringLiteral("%1 more rows cannot be stored")
                                     .arg(refusedRows - kMaxReportedRows));
        result.errors.append(nothingImported());
        result.status = ExitStatus::Refused;
        return result;
    }
    if (added > 0) {
        const int before = store.rowCount() - added;
        if (const StoreResult saved = store.SaveAllRecords(); !saved) {
            // A rewrite that fails leaves the file as it was, which the user needs to know before
            // running the import again.
            QString message = QStringLiteral("nothing was imported: %1").arg(saved.error);
            if (!saved.fileChanged)
                message += QStringLiteral("; %1 holds the %2 records it held before")
                               .arg(QLatin1String(DatabaseFile::kFileName))
                               .arg(before);
            return CommandResult::failure(ExitStatus::FileError, message);
        }
    }
    StandardStreams::writeLine(QStringLiteral("%1 records imported").arg(added));
    return result;
}
