#include "FolderRecords.h"

#include <QDir>
#include <QFileInfo>

FolderRecords::FolderRecords(const QString& folder) : m_folder(folder), m_store(folder) {}

QString FolderRecords::missingFolder() const
{
    if (QFileInfo(m_folder).isDir())
        return {};
    return QStringLiteral("the folder \"%1\" does not exist").arg(QDir::toNativeSeparators(m_folder));
}

QString FolderRecords::load()
{
    if (QString why = missingFolder(); !why.isEmpty())
        return why;
    m_report = m_store.LoadDatabase();
    return m_report.readError;
}

QString FolderRecords::lockAndLoad(int waitMs, bool* busy)
{
    *busy = false;
    if (QString why = missingFolder(); !why.isEmpty())
        return why;
    if (QString why = m_store.lockFolder(waitMs); !why.isEmpty()) {
        *busy = m_store.folderHeldElsewhere();
        return why;
    }
    return load();
}

QString FolderRecords::count()
{
    if (QString why = missingFolder(); !why.isEmpty())
        return why;
    m_report = m_store.file().CheckDatabase();
    return m_report.readError;
}
