#include "app/StartUp.h"

#include "app/InstallationIdentity.h"
#include "app/ProgramValues.h"
#include "app/SplashWindow.h"
#include "store/PickLists.h"
#include "ui/FrmScrn.h"
#include "ui/OnlineFeatures.h"

#include <QApplication>

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

void UnloadAll(FrmScrn& window)
{
    window.clearRecordList();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* widget : windows) {
        if (widget->isWindow() && widget->isVisible())
            widget->close();
    }
}
