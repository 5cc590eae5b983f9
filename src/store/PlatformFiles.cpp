#include "store/PlatformFiles.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PlatformFiles {

#ifdef Q_OS_WIN

namespace {

std::wstring native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

qint64 nanoseconds(const FILETIME& time)
{
    // 100 ns steps since 1601.
    const qint64 ticks = (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - 116444736000000000LL) * 100;
}

} // namespace

void syncFolder(const QString&) {}

QString syncFile(QFile& file)
{
    if (!file.flush())
        return file.errorString();
    // QFile keeps its native handle to itself; another handle flushes the same file.
    const HANDLE handle = CreateFileW(native(file.fileName()).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return qt_error_string();
    const bool flushed = FlushFileBuffers(handle);
    const QString why = flushed ? QString() : qt_error_string();
    CloseHandle(handle);
    return why;
}

QString renameOver(const QString& from, const QString& to)
{
    if (MoveFileExW(native(from).c_str(), native(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return qt_error_string();
}

FileStamp stampOf(const QString& path)
{
    FileStamp stamp;
    const HANDLE handle = CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return stamp;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info)) {
        stamp.exists = true;
        stamp.size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp.modified = nanoseconds(info.ftLastWriteTime);
        stamp.volume = info.dwVolumeSerialNumber;
        stamp.identity = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    CloseHandle(handle);
    return stamp;
}

void ignoreFileSizeLimitSignal() {}

#else

void syncFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString syncFile(QFile& file)
{
    if (!file.flush())
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return qt_error_string(errno);
    return {};
}

QString renameOver(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    return qt_error_string(errno);
}

FileStamp stampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    const auto nanoseconds = [](const struct timespec& time) {
        return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    stamp.exists = true;
    stamp.size = qint64(info.st_size);
#ifdef Q_OS_DARWIN
    stamp.modified = nanoseconds(info.st_mtimespec);
    stamp.changed = nanoseconds(info.st_ctimespec);
#else
    stamp.modified = nanoseconds(info.st_mtim);
    stamp.changed = nanoseconds(info.st_ctim);
#endif
    stamp.volume = quint64(info.st_dev);
    stamp.identity = quint64(info.st_ino);
    return stamp;
}

void ignoreFileSizeLimitSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#endif

} // namespace PlatformFiles
