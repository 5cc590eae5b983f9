#pragma once

#include "ExitStatus.h"

#include <QString>

// roamlog-cli stats: the atlas's figures of a folder's records, as text or as JSON.
namespace StatsCommand {

CommandResult run(const QString& folder, const QString& atlasFolder, bool json);

} // namespace StatsCommand
