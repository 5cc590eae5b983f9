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

// The same limit on this process while it lives (the soft limit only, so that it can be lifted
// again). A process that does not ignore SIGXFSZ ends at the first write past it.
class ThisProcess
{
public:
    explicit ThisProcess(qint64 fileSizeLimit);
    ~ThisProcess();
    ThisProcess(const ThisProcess&) = delete;
    ThisProcess& operator=(const ThisProcess&) = delete;

private:
    bool m_set = false;
    quint64 m_previous = 0;
};

} // namespace LimitedProcess
