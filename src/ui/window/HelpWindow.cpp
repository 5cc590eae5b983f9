#include "ui/window/HelpWindow.h"

#include <QDesktopServices>

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Roamlog Help"));
    setOpenLinks(false);
    setSource(QUrl::fromLocalFile(helpFile));
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = source().resolved(link);
        if (target.isLocalFile() && target.adjusted(QUrl::RemoveFragment) == source().adjusted(QUrl::RemoveFragment))
            setSource(target);
        else
            QDesktopServices::openUrl(target);
    });
    resize(640, 520);
}
