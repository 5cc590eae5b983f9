#include "LimitedProcess.h"

#include <QProcess>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <sys/resource.h>
#endif

namespace LimitedProcess {

bool supported()
{
#ifdef Q_OS_UNIX
    return true;
#else
    return false;
#endif
}

Outcome run(const QString& program, const QStringList& arguments, qint64 fileSizeLimit)
{
    Outcome outcome;
#ifdef Q_OS_UNIX
    QProcess process;
    // Runs in the child between fork and exec: only async-signal-safe calls. The signal that
    // a write past the limit raises keeps its default, which ends the process, unless the
    // program itself ignores it.
    process.setChildProcessModifier([fileSizeLimit] {
        ::signal(SIGXFSZ, SIG_DFL);
        struct rlimit limit;
        limit.rlim_cur = rlim_t(fileSizeLimit);
        limit.rlim_max = rlim_t(fileSizeLimit);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.finished = true;
    outcome.status = process.exitCode();
    outcome.out = process.readAllStandardOutput();
    outcome.err = process.readAllStandardError();
#else
    Q_UNUSED(program);
    Q_UNUSED(arguments);
    Q_UNUSED(fileSizeLimit);
#endif
    return outcome;
}

ThisProcess::ThisProcess(qint64 fileSizeLimit)
{
#ifdef Q_OS_UNIX
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_previous = quint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(fileSizeLimit);
    m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
    Q_UNUSED(fileSizeLimit);
#endif
}

ThisProcess::~ThisProcess()
{
#ifdef Q_OS_UNIX
    struct rlimit limit;
    if (!m_set || ::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    limit.rlim_cur = rlim_t(m_previous);
    ::setrlimit(RLIMIT_FSIZE, &limit);
#endif
}

} // namespace LimitedProcess
