#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a program to its end with a limit on the size of the files it writes, the way a full
// disk makes a write fail part-way, without needing a full disk. The limit is
// setrlimit(RLIMIT_FSIZE) with SIGXFSZ ignored, so a write past it fails with EFBIG instead of
// ending the process: POSIX only.
namespace LimitedProcess {

struct Outcome
{
    bool finished = false; // ended normally within the time given
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Whether this platform can limit a child's file size.
bool supported();

Outcome run(const QString& program, const QStringList& arguments, qint64 fileSizeLimit);

} // namespace LimitedProcess
