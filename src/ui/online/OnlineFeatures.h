#pragma once

#include <QObject>

class FrmScrn;
class ShareCommand;
class StatusLine;
class SuggestionBoxRules;
class SuggestionPoster;
class TextFetcher;
class UserPanel;
class VersionDisplay;
class WebPages;

// The online side of the main window: the user panel, the suggestion box, sharing, the
// version check and the web pages. They share one fetcher; none of them waits for another's
// request (a share does not wait behind the start-up version check).
class OnlineFeatures : public QObject
{
    Q_OBJECT

public:
    explicit OnlineFeatures(FrmScrn& window);
    ~OnlineFeatures() override;

    // The last step of start-up; the window stays usable while the answer is awaited.
    void CheckVersion();

    TextFetcher* fetcher() const { return m_fetcher; }
    StatusLine* statusLine() const { return m_status; }
    SuggestionPoster* poster() const { return m_poster; }
    ShareCommand* share() const { return m_share; }

private:
    TextFetcher* m_fetcher;
    StatusLine* m_status;
    UserPanel* m_userPanel;
    SuggestionBoxRules* m_text4Rules;
    SuggestionPoster* m_poster;
    ShareCommand* m_share;
    VersionDisplay* m_version;
    WebPages* m_webPages;
};
