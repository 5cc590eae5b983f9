#include "app/StartUp.h"

#include "app/SplashWindow.h"
#include "settings/InstallationIdentity.h"
#include "settings/ProgramValues.h"
#include "store/PickLists.h"
#include "ui/online/OnlineFeatures.h"
#include "ui/window/FrmScrn.h"

namespace StartUp {

std::unique_ptr<FrmScrn> Main(const QString& programFolder, const ShellOpen& open)
{
    const ProgramValues values = ProgramValues::forFolder(programFolder);
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
    window->online()->CheckVersion();
    return window;
}

} // namespace StartUp
