#pragma once

#include "ExitStatus.h"

#include <QDateTime>
#include <QString>

// roamlog-cli import: adds the records of a CSV file to a folder's database file, all of them
// or none.
class ImportCommand
{
public:
    // now stamps the rows whose Date Modified is empty.
    static CommandResult run(const QString& folder, const QString& csvPath, const QDateTime& now);

    // Most rows reported when a file holds many that cannot be stored.
    static constexpr int kMaxReportedRows = 20;
    // How long an import waits for the program or another import to let the folder go.
    static constexpr int kLockWaitMs = 5000;
};
