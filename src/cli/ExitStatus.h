#pragma once

#include <QString>
#include <QStringList>

// The exit statuses of roamlog-cli, as its help lists them.
namespace ExitStatus {

inline constexpr int Done = 0;
// check: the database file holds lines that do not read as records.
inline constexpr int UnreadableLines = 1;
// import: the CSV file holds rows that cannot be stored; nothing was written.
inline constexpr int Refused = 2;
// A folder or file is missing, or could not be read or written.
inline constexpr int FileError = 3;
// import: another program (the window, another import) is writing the folder's log.
inline constexpr int Busy = 4;
// The command line is wrong (the BSD convention for usage errors).
inline constexpr int Usage = 64;

} // namespace ExitStatus

// How a command ended: its exit status and the lines it has for standard error.
struct CommandResult
{
    int status = ExitStatus::Done;
    QStringList errors;

    static CommandResult done() { return {}; }
    static CommandResult failure(int status, const QString& error) { return {status, {error}}; }
};
