#include "CheckCommand.h"

#include "FolderRecords.h"
#include "StandardStreams.h"

CommandResult CheckCommand::run(const QString& folder)
{
    FolderRecords records(folder);
    // Only counted: a full log's records need not be built to be counted.
    if (const QString why = records.count(); !why.isEmpty())
        return CommandResult::failure(ExitStatus::FileError, why);
    const LoadReport& report = records.report();
    StandardStreams::writeLine(QStringLiteral("%1 records, %2 unreadable lines, %3 incomplete records")
                                   .arg(report.records)
                                   .arg(report.unreadableLines)
                                   .arg(report.incompleteRecords));
    CommandResult result;
    if (report.unreadableLines > 0 || report.incompleteRecords > 0)
        result.status = ExitStatus::UnreadableLines;
    return result;
}
