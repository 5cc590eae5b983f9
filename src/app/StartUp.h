#pragma once

#include "ui/widgets/ShellOpen.h"

#include <QString>

#include <memory>

class FrmScrn;

namespace StartUp {

// Starts the program living in programFolder: fixes the program-wide values, makes sure the
// installation record exists, holds the splash on screen, shows the main window and then fills
// it with the pick lists and the records. Returns the main window, running.
std::unique_ptr<FrmScrn> Main(const QString& programFolder, const ShellOpen& open);

} // namespace StartUp
