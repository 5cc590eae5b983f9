#include "app/StartUp.h"

#include "app/SplashWindow.h"
#include "settings/InstallationIdentity.h"
#include "settings/ProgramValues.h"
#include "store/PickLists.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/window/FrmScrn.h"

#include <cstdio>

namespace StartUp {

std::unique_ptr<FrmScrn> Main(const ProgramFolders& folders, const ShellOpen& open)
{
    // Without its folder the program still starts; each save then says why it failed.
    if (!folders.prepareData())
        std::fprintf(stderr, "roamlog: cannot make the data folder %s\n", qPrintable(folders.data));
    const ProgramValues values = ProgramValues::forFolders(folders);
    InstallationIdentity::ReadInstallationRecord(values.registryKeyPath);
    {
        SplashWindow splash(values.productUrl(), open);
        splash.showAndWait();
        splash.close();
    }
    auto window = std::make_unique<FrmScrn>(values, open);
    window->show();
    window->LoadPickLists(LoadPickLists(values.filePath(QLatin1String(PickLists::kFileName))));
    window->LoadDatabase();
    if (!window->isVisible())
        return nullptr; // the folder is another program's, and the user did not want it read-only
    window->online()->CheckVersion();
    return window;
}

} // namespace StartUp
