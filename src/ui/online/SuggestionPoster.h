#pragma once

#include <QObject>
#include <QString>

struct FetchResult;
class FrmScrn;
class StatusLine;
class TextFetcher;

// "Send !" and "Clear" of the suggestion box: checks the text for web addresses, posts it to
// the forum under the user's alias and says in the status line how it went. The probes and
// the post run without blocking the window; one post at a time.
class SuggestionPoster : public QObject
{
    Q_OBJECT

public:
    SuggestionPoster(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    // Command3(0) "Send !" (index 0) or Command3(1) "Clear" (index 1).
    void Command3Click(int index);

    void PostSuggestion();

    bool isPosting() const { return m_posting; }

private:
    // The text passed the check: the post request.
    void post(const QString& text, const QString& alias, const QString& installationId);
    void postAnswered(const QString& text, const FetchResult& reply);
    // The post is over, however it went.
    void end();

    FrmScrn& m_window;
    TextFetcher& m_fetcher;
    StatusLine& m_status;
    bool m_posting = false;
};
