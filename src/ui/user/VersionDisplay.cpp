#include "ui/user/VersionDisplay.h"

#include "online/ServerRequests.h"
#include "online/TextFetcher.h"
#include "online/VersionCheck.h"
#include "ui/user/UserTab.h"

#include <QLabel>

VersionDisplay::VersionDisplay(UserTab* tab, TextFetcher& fetcher, QString serverBaseUrl, QObject* parent)
    : QObject(parent), m_tab(tab), m_fetcher(fetcher), m_serverBaseUrl(std::move(serverBaseUrl))
{
}

void VersionDisplay::CheckVersion()
{
    m_tab->label9(0)->setText(VersionCheck::programVersionText());
    // The label is the request's context: when the window goes first, the request goes with it.
    QLabel* result = m_tab->label9(1);
    m_fetcher.fetch(ServerRequests::versionAddress(m_serverBaseUrl), result,
                    [result](const FetchResult& reply) { result->setText(VersionCheck::resultText(reply)); });
}
