#pragma once

#include <QString>

// Makes a rename in a folder durable: on POSIX systems the folder itself is synced, so that a
// crash right after a rewrite cannot bring back the previous name entry. Where the platform
// offers no such call (Windows commits renames itself) this does nothing.
namespace FolderSync {

// Best effort: a folder that cannot be synced changes nothing that was already written.
void syncFolder(const QString& folder);

} // namespace FolderSync
