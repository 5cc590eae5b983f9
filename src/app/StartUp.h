#pragma once

#include "settings/ProgramFolders.h"
#include "ui/widgets/ShellOpen.h"

#include <memory>

class FrmScrn;

namespace StartUp {

// Starts the program with these folders: makes the data folder at the first start, fixes the
// program-wide values, makes sure the installation record exists, holds the splash on screen,
// shows the main window and then fills it with the pick lists and the records. Returns the main
// window, running, or nullptr when the user closed it at start (another program has the
// folder open).
std::unique_ptr<FrmScrn> Main(const ProgramFolders& folders, const ShellOpen& open);

} // namespace StartUp
