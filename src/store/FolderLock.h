#pragma once

#include <QLockFile>
#include <QString>

// One writer at a time in a data folder: a lock file beside the log, held by the window for
// its whole run and by an import for its own. A lock left behind by a program that ended
// without letting it go (a crash, a kill) is taken over, since its process is gone; one held
// by a program on another machine is not.
class FolderLock
{
public:
    static constexpr char kFileName[] = "Roamlog.lock";

    explicit FolderLock(const QString& folder);

    // Takes the lock, waiting up to waitMs for its holder to let it go. "" once held, else why
    // not: who holds it, or why the lock file cannot be made.
    QString acquire(int waitMs);
    bool isHeld() const { return m_lock.isLocked(); }
    // After a failed acquire: whether another program holds the lock (else the lock file
    // could not be made).
    bool heldElsewhere() const { return m_lock.error() == QLockFile::LockFailedError; }

private:
    QString m_folder;
    QLockFile m_lock;
};
