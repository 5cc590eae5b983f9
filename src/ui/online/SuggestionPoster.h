#pragma once

#include <QObject>

class FrmScrn;
class StatusLine;
class TextFetcher;

// "Send !" and "Clear" of the suggestion box: checks the text for web addresses, posts it to
// the forum under the user's alias and says in the status line how it went.
class SuggestionPoster : public QObject
{
    Q_OBJECT

public:
    SuggestionPoster(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    // Command3(0) "Send !" (index 0) or Command3(1) "Clear" (index 1).
    void Command3Click(int index);

    void PostSuggestion();

    // True when the text holds what looks like a web address; the status line then says which word.
    bool CheckSuggestionText();

private:
    FrmScrn& m_window;
    TextFetcher& m_fetcher;
    StatusLine& m_status;
};
