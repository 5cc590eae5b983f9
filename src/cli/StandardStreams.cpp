#include "StandardStreams.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace StandardStreams {

bool writeOut(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    // CSV rows end in CR LF already; a text-mode stream would turn them into CR CR LF.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const size_t size = size_t(bytes.size());
    const bool written = std::fwrite(bytes.data(), 1, size, stdout) == size;
    return std::fflush(stdout) == 0 && written;
}

void writeLine(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void writeError(const QString& line)
{
    std::fputs("roamlog-cli: ", stderr);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace StandardStreams
