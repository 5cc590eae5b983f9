#pragma once

#include "ExitStatus.h"

#include <QString>

// roamlog-cli check: counts the records and the unreadable lines of a folder's database file.
class CheckCommand
{
public:
    static CommandResult run(const QString& folder);
};
