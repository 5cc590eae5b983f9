#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a program to its end with a limit on the size of the files it writes, the way a full
// disk makes a write fail part-way, without needing a full disk. The limit is
// setrlimit(RLIMIT_FSIZE) with SIGXFSZ at its default: a write past it ends the process, unless
// the program ignores the signal, and then fails with EFBIG. POSIX only.
namespace LimitedProcess {

struct Outcome
{
    bool finished = false; // ended normally (not by a signal) within the time given
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Whether this platform can limit a child's file size.
bool supported();

Outcome run(const QString& program, const QStringList& arguments, qint64 fileSizeLimit);

} // namespace LimitedProcess
