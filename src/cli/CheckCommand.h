#pragma once

#include "ExitStatus.h"

#include <QString>

// roamlog-cli check: counts the records, the unreadable lines and the records cut short (a line
// that ends before its 24th field) of a folder's database file.
class CheckCommand
{
public:
    static CommandResult run(const QString& folder);
};
