#include "ui/user/VersionDisplay.h"

#include "online/ServerRequests.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "ui/user/UserTab.h"

#include <QLabel>
#include <QPointer>

VersionDisplay::VersionDisplay(UserTab* tab, TextFetcher& fetcher, QString serverBaseUrl, QObject* parent)
    : QObject(parent), m_tab(tab), m_fetcher(fetcher), m_serverBaseUrl(std::move(serverBaseUrl))
{
}

void VersionDisplay::CheckVersion()
{
    m_tab->label9(0)->setText(VersionCheck::programVersionText());
    // The answer may come when the window is already gone.
    QPointer<QLabel> result = m_tab->label9(1);
    m_fetcher.fetchLater(ServerRequests::versionAddress(m_serverBaseUrl), [result](const FetchResult& reply) {
        if (result)
            result->setText(VersionCheck::resultText(reply));
    });
}
