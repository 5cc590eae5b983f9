#pragma once

#include "ExitStatus.h"

#include <QString>

// roamlog-cli export: the records of a folder as CSV, in file order.
class ExportCommand
{
public:
    // Writes to outputPath, or to standard output when it is empty.
    static CommandResult run(const QString& folder, const QString& outputPath);
};
