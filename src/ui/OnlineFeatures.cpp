#include "ui/OnlineFeatures.h"

#include "online/TextFetcher.h"
#include "ui/FrmScrn.h"
#include "ui/ShareCommand.h"
#include "ui/StatusLine.h"
#include "ui/SuggestionBoxRules.h"
#include "ui/SuggestionPoster.h"
#include "ui/UserPanel.h"
#include "ui/UserTab.h"
#include "ui/VersionDisplay.h"
#include "ui/WebPages.h"

OnlineFeatures::OnlineFeatures(FrmScrn& window) : QObject(&window)
{
    setObjectName(QStringLiteral("OnlineFeatures"));
    m_fetcher = new TextFetcher(this);
    m_fetcher->setObjectName(QStringLiteral("Inet1"));
    m_status = new StatusLine(window.label10(), this);
    m_userPanel = new UserPanel(window.userTab(), window.values().registryKeyPath, this);
    m_text4Rules = new SuggestionBoxRules(window.userTab()->text4(), this);
    m_poster = new SuggestionPoster(window, *m_fetcher, *m_status, this);
    m_share = new ShareCommand(window, *m_fetcher, *m_status, this);
    m_version = new VersionDisplay(window.userTab(), *m_fetcher, window.values().serverBaseUrl, this);
    m_webPages = new WebPages(window, this);
}

OnlineFeatures::~OnlineFeatures() = default;

void OnlineFeatures::CheckVersion()
{
    m_version->CheckVersion();
}
