#include "OffscreenApplication.h"

#include <QSettings>
#include <QStandardPaths>

OffscreenApplication::OffscreenApplication(int& argc, char** argv)
    : m_application(offscreenFirst(argc), argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QApplication::setOrganizationName(QStringLiteral("Fenwary"));
    QApplication::setApplicationName(QStringLiteral("Roamlog"));
}

// The platform is chosen before QApplication exists.
int& OffscreenApplication::offscreenFirst(int& argc)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}
