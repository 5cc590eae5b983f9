#include "TestFolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

TestFolder::TestFolder()
{
    QStandardPaths::setTestModeEnabled(true);
    const QString settings = m_dir.filePath(QStringLiteral("settings"));
    QDir().mkpath(settings);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
}

QByteArray TestFolder::read(const QString& name) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TestFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
