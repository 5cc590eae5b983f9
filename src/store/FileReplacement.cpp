#include "store/FileReplacement.h"

#include "store/LeftoverFiles.h"
#include "store/PlatformFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The file a path names once its symbolic links are followed; the path itself when it is no
// link or the links loop.
QString resolved(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink() && depth < 40; ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

} // namespace

namespace FileReplacement {

QString replace(const QString& target, QByteArrayView content, const QString& what)
{
    const QString path = resolved(target);
    const QFileInfo info(path);
    const QString temporary = info.dir().filePath(LeftoverFiles::temporaryNameFor(info.fileName()));
    QFile file(temporary);
    // Unbuffered, so that a failing write reports at once and with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return describe(QStringLiteral("Cannot create"), temporary, file.errorString());
    QString why = writeWhole(file, content);
    if (why.isEmpty())
        why = PlatformFiles::syncFile(file);
    file.close();
    if (why.isEmpty() && info.exists())
        file.setPermissions(info.permissions());
    if (why.isEmpty())
        why = PlatformFiles::renameOver(temporary, path);
    if (!why.isEmpty()) {
        QFile::remove(temporary);
        return describe(what, path, why);
    }
    PlatformFiles::syncFolder(info.path());
    return {};
}

QString writeWhole(QFileDevice& file, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return reasonOf(file);
        done += written;
    }
    return {};
}

QString reasonOf(const QFileDevice& file)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return QStringLiteral("the system accepted fewer bytes than were written");
}

QString describe(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason);
}

} // namespace FileReplacement
