#include "store/LeftoverFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QDateTime kProgramStart = QDateTime::currentDateTimeUtc();

constexpr int kRandomLength = 6;

bool isLetterOrDigit(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

} // namespace

namespace LeftoverFiles {

bool isTemporaryOf(const QString& fileName, const QString& targetName)
{
    if (fileName.size() != targetName.size() + 1 + kRandomLength ||
        !fileName.startsWith(targetName) || fileName[targetName.size()] != u'.')
        return false;
    const QStringView random = QStringView(fileName).right(kRandomLength);
    return std::all_of(random.begin(), random.end(), isLetterOrDigit);
}

QDateTime programStart()
{
    return kProgramStart;
}

QStringList removeLeftovers(const QString& folder, const QStringList& targetNames)
{
    QStringList removed;
    QStringList patterns;
    for (const QString& target : targetNames)
        patterns.append(target + QStringLiteral(".*"));
    const QFileInfoList candidates =
        QDir(folder).entryInfoList(patterns, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : candidates) {
        const bool ours = std::any_of(targetNames.begin(), targetNames.end(),
                                      [&](const QString& target) {
                                          return isTemporaryOf(info.fileName(), target);
                                      });
        if (ours && info.lastModified().toUTC() < kProgramStart &&
            QFile::remove(info.filePath()))
            removed.append(info.fileName());
    }
    return removed;
}

} // namespace LeftoverFiles
