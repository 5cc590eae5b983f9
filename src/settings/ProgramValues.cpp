#include "settings/ProgramValues.h"

#include "store/DatabaseFile.h"

#include <QDir>
#include <QUrl>

#include <cstdio>

QString ProgramValues::serverBaseUrlFor(const QString& overrideValue, bool* rejected)
{
    if (rejected)
        *rejected = false;
    if (overrideValue.isEmpty())
        return QString::fromLatin1(kDefaultServerBaseUrl);
    const QUrl url(overrideValue, QUrl::StrictMode);
    const bool acceptable = url.isValid() && !url.host().isEmpty() &&
                            (url.scheme() == QLatin1String("http") ||
                             url.scheme() == QLatin1String("https")) &&
                            overrideValue.startsWith(url.scheme() + QLatin1String("://")) &&
                            overrideValue.endsWith(QLatin1Char('/')) && !url.hasQuery() &&
                            !url.hasFragment();
    if (acceptable)
        return overrideValue;
    if (rejected)
        *rejected = true;
    return QString::fromLatin1(kDefaultServerBaseUrl);
}

ProgramValues ProgramValues::forFolders(const ProgramFolders& folders)
{
    ProgramValues values;
    bool rejected = false;
    const QString overrideValue = qEnvironmentVariable(kServerUrlVariable);
    values.serverBaseUrl = serverBaseUrlFor(overrideValue, &rejected);
    if (rejected) {
        std::fprintf(stderr, "%s is not an http:// or https:// address ending in \"/\"; using %s\n",
                     kServerUrlVariable, kDefaultServerBaseUrl);
    }
    values.productPathSegment = QStringLiteral("roamlog/");
    values.registryKeyPath = QStringLiteral("Software\\Fenwary\\") + QLatin1String(kApplicationTitle);
    values.folders = folders;
    values.databasePath = values.filePath(QLatin1String(DatabaseFile::kFileName));
    return values;
}

QString ProgramValues::filePath(const QString& name) const
{
    return QDir(folders.data).filePath(name);
}

QString ProgramValues::sharedFilePath(const QString& name) const
{
    return QDir(folders.shared).filePath(name);
}
