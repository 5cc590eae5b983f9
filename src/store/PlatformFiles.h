#pragma once

#include "store/FileStamp.h"

#include <QString>

class QFile;

// The few file operations that Qt does not offer and that differ between POSIX systems and
// Windows; everything platform-specific of the store is here.
namespace PlatformFiles {

// Makes a rename in a folder durable: on POSIX systems the folder itself is synced, so that a
// crash right after a rewrite cannot bring back the previous name entry (Windows commits
// renames itself). Best effort: it changes nothing that was already written.
void syncFolder(const QString& folder);

// Flushes an open file's content to the disk; "" on success, else the system's reason.
QString syncFile(QFile& file);

// Renames a file onto another in one step, replacing it; "" on success, else the reason.
QString renameOver(const QString& from, const QString& to);

// The stamp of the file at a path (following symbolic links); exists is false when there is
// none or it cannot be examined.
FileStamp stampOf(const QString& path);

// A write past the file size limit (RLIMIT_FSIZE) fails with EFBIG instead of ending the
// process with SIGXFSZ, so that it is reported like a full disk. Nothing to do on Windows.
void ignoreFileSizeLimitSignal();

} // namespace PlatformFiles
