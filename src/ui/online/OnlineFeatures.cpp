#include "ui/online/OnlineFeatures.h"

#include "online/TextFetcher.h"
#include "ui/online/ShareCommand.h"
#include "ui/online/SuggestionPoster.h"
#include "ui/online/WebPages.h"
#include "ui/user/SuggestionBoxRules.h"
#include "ui/user/UserPanel.h"
#include "ui/user/UserTab.h"
#include "ui/user/VersionDisplay.h"
#include "ui/widgets/StatusLine.h"
#include "ui/window/FrmScrn.h"

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
