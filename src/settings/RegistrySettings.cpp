#include "settings/RegistrySettings.h"

#include <QSettings>
#include <QVariant>

#include <memory>

namespace {

// "Software\Organisation\Application" names the settings of that application.
std::unique_ptr<QSettings> openKey(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    const QString organisation = parts.size() >= 2 ? parts.at(1) : QStringLiteral("Fenwary");
    const QString application = parts.size() >= 3 ? parts.mid(2).join(QLatin1Char('/'))
                                                   : QStringLiteral("Roamlog");
    return std::make_unique<QSettings>(organisation, application);
}

} // namespace

namespace RegistrySettings {

void CreateRegistryKey(const QString& path, Root)
{
    // A key comes into being with its first value; syncing creates the store where the
    // platform keeps one.
    openKey(path)->sync();
}

bool SetRegistryString(Root root, const QString& path, const QString& name, const QString& text)
{
    CreateRegistryKey(path, root);
    auto settings = openKey(path);
    settings->setValue(name, text);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

QString GetRegistryValue(Root, const QString& path, const QString& name)
{
    auto settings = openKey(path);
    if (settings->status() != QSettings::NoError)
        return {};
    const QVariant value = settings->value(name);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QStringList: // an INI value edited by hand with commas in it
        return value.toStringList().join(QStringLiteral(", "));
    default:
        return {};
    }
}

} // namespace RegistrySettings
