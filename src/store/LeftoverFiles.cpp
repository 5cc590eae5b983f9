#include "store/LeftoverFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr QLatin1StringView kMarker(".roamlog-tmp-");
constexpr int kRandomLength = 8;
constexpr QLatin1StringView kRandomLetters("abcdefghijklmnopqrstuvwxyz0123456789");

// What follows the marker: the process id and the random part.
const QRegularExpression& tail()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[1-9][0-9]{0,9}-[a-z0-9]{%1}$").arg(kRandomLength));
    return pattern;
}

} // namespace

namespace LeftoverFiles {

QString temporaryNameFor(const QString& targetName)
{
    QString random;
    for (int i = 0; i < kRandomLength; ++i)
        random += kRandomLetters[QRandomGenerator::global()->bounded(int(kRandomLetters.size()))];
    return targetName + kMarker + QString::number(QCoreApplication::applicationPid()) + u'-' +
           random;
}

bool isTemporaryOf(const QString& fileName, const QString& targetName)
{
    const qsizetype prefix = targetName.size() + kMarker.size();
    return fileName.size() > prefix && fileName.startsWith(targetName) &&
           QStringView(fileName).sliced(targetName.size()).startsWith(kMarker) &&
           tail().match(QStringView(fileName).sliced(prefix)).hasMatch();
}

QStringList removeLeftovers(const QString& folder, const QStringList& targetNames)
{
    QStringList removed;
    QStringList patterns;
    for (const QString& target : targetNames)
        patterns.append(target + kMarker + u'*');
    const QFileInfoList candidates =
        QDir(folder).entryInfoList(patterns, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : candidates) {
        const bool ours = std::any_of(targetNames.begin(), targetNames.end(),
                                      [&](const QString& target) {
                                          return isTemporaryOf(info.fileName(), target);
                                      });
        if (ours && QFile::remove(info.filePath()))
            removed.append(info.fileName());
    }
    return removed;
}

} // namespace LeftoverFiles
