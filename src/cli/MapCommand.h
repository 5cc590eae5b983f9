#pragma once

#include "ExitStatus.h"

#include <QString>

// roamlog-cli map: the world map of a folder's records, as an SVG or PNG file.
namespace MapCommand {

inline constexpr int kDefaultWidth = 1200;
inline constexpr int kSmallestWidth = 360;
inline constexpr int kLargestWidth = 16384;

CommandResult run(const QString& folder, const QString& atlasFolder, const QString& output, int width);

} // namespace MapCommand
