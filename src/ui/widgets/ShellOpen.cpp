#include "ui/widgets/ShellOpen.h"

#include <QDesktopServices>

ShellOpen systemShellOpen()
{
    return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}
