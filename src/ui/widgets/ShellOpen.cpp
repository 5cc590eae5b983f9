#include "ui/widgets/ShellOpen.h"

#include <QDesktopServices>

ShellOpen systemShellOpen()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}
