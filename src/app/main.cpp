#include "app/StartUp.h"
#include "online/VersionCheck.h"
#include "ui/window/FrmScrn.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Roamlog"));
    QApplication::setOrganizationName(QStringLiteral("Fenwary"));
    QApplication::setApplicationVersion(VersionCheck::programVersionText());
    // Lets the desktop match the window with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.fenwary.Roamlog"));
    const ProgramFolders folders =
        ProgramFolders::forExecutable(QCoreApplication::applicationDirPath());

    // The program takes no arguments of its own; --help also says where the data is.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Roamlog@, a travel log of the places you visited.\n\nData folder: %1\n"
                       "(set ROAMLOG_HOME to use another one)")
            .arg(QDir::toNativeSeparators(folders.data)));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);

    const std::unique_ptr<FrmScrn> window = StartUp::Main(folders, systemShellOpen());
    return window ? QApplication::exec() : 0;
}
