#include "settings/ProgramFolders.h"

#include "store/PickLists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

ProgramFolders ProgramFolders::locate(const QString& executableFolder, const QString& homeOverride,
                                      const QString& userDataHome, const char* sharedBelowPrefix)
{
    const QDir executableDir(executableFolder);
    const QString prefixShared =
        executableDir.absoluteFilePath(QStringLiteral("../") + QLatin1String(sharedBelowPrefix));
    const bool system =
        executableDir.dirName() == QLatin1String("bin") && QFileInfo(prefixShared).isDir();
    ProgramFolders folders = single(executableDir.absolutePath());
    if (system) {
        folders.shared = QDir::cleanPath(prefixShared);
        folders.data = QDir(userDataHome).absoluteFilePath(QLatin1String(kDataFolderBelowUserData));
    }
    if (!homeOverride.isEmpty())
        folders.data = QDir(homeOverride).absolutePath();
    return folders;
}

ProgramFolders ProgramFolders::forExecutable(const QString& executableFolder,
                                             const char* sharedBelowPrefix)
{
    return locate(executableFolder, qEnvironmentVariable(kHomeVariable),
                  QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                  sharedBelowPrefix);
}

bool ProgramFolders::prepareData() const
{
    if (!QDir().mkpath(data))
        return false;
    const QString pickLists = QDir(data).filePath(QLatin1String(PickLists::kFileName));
    if (!QFileInfo::exists(pickLists))
        QFile::copy(QDir(shared).filePath(QLatin1String(kDefaultPickListsFile)), pickLists);
    return true;
}
