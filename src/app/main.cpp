#include "app/StartUp.h"
#include "ui/window/FrmScrn.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Roamlog"));
    QApplication::setOrganizationName(QStringLiteral("Fenwary"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    // The program keeps its data beside its own executable.
    const std::unique_ptr<FrmScrn> window =
        StartUp::Main(QCoreApplication::applicationDirPath(), systemShellOpen());
    return QApplication::exec();
}
