#pragma once

#include <QByteArrayView>
#include <QString>

class QFileDevice;

// Replaces the content of a file as one step: the new content is written under a temporary
// name of this program's own beside the target (LeftoverFiles), flushed to the disk and renamed
// onto the target, so that the target holds at every moment either its old content or the new
// one. A target that is a symbolic link has the file it points to replaced, and keeps its
// permissions.
namespace FileReplacement {

// "" on success. On failure the reason, beginning with `what` and the file's name; the target
// is then as it was and no temporary file is left.
QString replace(const QString& target, QByteArrayView content, const QString& what);

// Writes all bytes with as few writes as the system allows. After a short write the rest is
// written again, which either completes or fails with the system's reason (a full disk, a file
// size limit). Returns that reason, or "" when everything was written.
QString writeWhole(QFileDevice& file, QByteArrayView bytes);

// The system's reason for the last failure of a file. Qt reports a short write as a success
// without a reason, so a device without an error gets a plain account instead of
// "Unknown error".
QString reasonOf(const QFileDevice& file);

// A failure as the store reports it: what failed, the file's name in quotes, the reason.
QString describe(const QString& what, const QString& path, const QString& reason);

} // namespace FileReplacement
