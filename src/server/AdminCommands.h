#pragma once

#include "server/SharedRecordStore.h"

#include <QStringList>

#include <cstdio>

// The operator's commands on a database: ban, unban, remove-record, remove-post, stats, export
// (--all for a backup) and import (of such a backup). Each writes its result to out and any refusal to err, and returns the exit status.
namespace AdminCommands {

bool isAdminCommand(const QString& name);
int run(SharedRecordStore& store, const QString& name, const QStringList& arguments, std::FILE* out,
        std::FILE* err);

} // namespace AdminCommands
