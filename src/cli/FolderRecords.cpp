#include "FolderRecords.h"

#include <QDir>
#include <QFileInfo>

FolderRecords::FolderRecords(const QString& folder) : m_folder(folder), m_store(folder) {}

QString FolderRecords::load()
{
    const QFileInfo info(m_folder);
    if (!info.isDir()) {
        return QStringLiteral("the folder \"%1\" does not exist")
            .arg(QDir::toNativeSeparators(m_folder));
    }
    m_report = m_store.LoadDatabase();
    return m_report.readError;
}
