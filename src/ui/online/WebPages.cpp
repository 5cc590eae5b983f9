#include "ui/online/WebPages.h"

#include "online/ServerRequests.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QAction>
#include <QUrl>

WebPages::WebPages(FrmScrn& window, QObject* parent) : QObject(parent), m_window(window)
{
    connect(window.mnuBrowse(), &QAction::triggered, this, &WebPages::OpenRecordBrowser);
    connect(window.mnuForum(), &QAction::triggered, this, &WebPages::OpenForum);
    connect(window.userTab(), &UserTab::showPostsClicked, this, &WebPages::OpenForumPage);
}

void WebPages::open(const QString& address) const
{
    if (m_window.shellOpen())
        m_window.shellOpen()(QUrl(address));
}

void WebPages::OpenRecordBrowser()
{
    open(ServerRequests::browseRecordsAddress(m_window.values().serverBaseUrl));
}

void WebPages::OpenForum()
{
    open(ServerRequests::readForumAddress(m_window.values().serverBaseUrl));
}

void WebPages::OpenForumPage()
{
    open(ServerRequests::showPostsAddress(m_window.values().scriptUrl()));
}
