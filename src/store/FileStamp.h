#pragma once

#include <QtGlobal>

// What tells one version of a file from another without reading it: whether it exists, its
// size, its modification and status-change times and its identity on its volume (inode or file
// index). A file written again, replaced by a copy (even one that keeps the time, as cp -p
// does) or removed and made again never keeps all of them.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since 1970
    qint64 changed = 0;  // status change, where the system keeps it
    quint64 volume = 0;
    quint64 identity = 0;

    bool operator==(const FileStamp&) const = default;
};
