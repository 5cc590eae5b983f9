#include "store/FolderLock.h"

#include <QDir>

FolderLock::FolderLock(const QString& folder)
    : m_folder(folder), m_lock(QDir(folder).filePath(QLatin1String(kFileName)))
{
    // Held for as long as a window stays open: never taken over for its age, only once its
    // process is gone.
    m_lock.setStaleLockTime(0);
}

QString FolderLock::acquire(int waitMs)
{
    if (m_lock.isLocked() || m_lock.tryLock(waitMs))
        return {};
    const QString folder = QDir::toNativeSeparators(m_folder);
    qint64 pid = 0;
    QString host;
    QString program;
    if (m_lock.error() == QLockFile::LockFailedError && m_lock.getLockInfo(&pid, &host, &program))
        return QStringLiteral("the travel log in \"%1\" is in use by another program (%2, process %3 "
                              "on %4)")
            .arg(folder, program.isEmpty() ? QStringLiteral("Roamlog") : program)
            .arg(pid)
            .arg(host.isEmpty() ? QStringLiteral("this computer") : host);
    if (m_lock.error() == QLockFile::LockFailedError)
        return QStringLiteral("the travel log in \"%1\" is in use by another program").arg(folder);
    const QString why = m_lock.error() == QLockFile::PermissionError
                            ? QStringLiteral("permission denied")
                            : QStringLiteral("the system refused it");
    return QStringLiteral("the lock file %1 cannot be made in \"%2\" (%3)")
        .arg(QLatin1String(kFileName), folder, why);
}
