#include "ui/online/SuggestionPoster.h"

#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/SuggestionCheck.h"
#include "online/TextFetcher.h"
#include "ui/online/AliasTakenReport.h"
#include "ui/user/SuggestionBoxRules.h"
#include "ui/user/UserTab.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/StatusLine.h"
#include "ui/window/FrmScrn.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

SuggestionPoster::SuggestionPoster(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent)
    : QObject(parent), m_window(window), m_fetcher(fetcher), m_status(status)
{
    UserTab* tab = window.userTab();
    for (int i = 0; i < 2; ++i)
        connect(tab->command3(i), &QPushButton::clicked, this, [this, i] { Command3Click(i); });
}

void SuggestionPoster::Command3Click(int index)
{
    if (index == 0)
        PostSuggestion();
    else if (index == 1)
        m_window.userTab()->text4()->clear();
}

void SuggestionPoster::PostSuggestion()
{
    UserTab* tab = m_window.userTab();
    const QString alias = tab->text3(0)->text();
    if (alias.isEmpty()) {
        OkMessage::show(&m_window, QStringLiteral("You need to chose a Name/Alias to post"));
        tab->text3(0)->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString installationId = tab->label2()->text();
    if (installationId.isEmpty() || m_posting)
        return;

    // The text checked is the text posted, whatever is typed while the probes are under way.
    const QString text = SuggestionBoxRules::postedText(tab->text4());
    m_posting = true;
    m_window.setCursor(Qt::BusyCursor);
    const SuggestionCheck check([this](const QString& word, const SuggestionCheck::Reply& reply) {
        m_fetcher.fetch(word, this, [reply](const FetchResult& probe) { reply(probe.text); });
    });
    check.CheckSuggestionText(text, [=, this](const SuggestionCheck::Verdict& verdict) {
        if (!verdict.refused)
            return post(text, alias, installationId);
        m_status.show(SuggestionCheck::refusalStatus(verdict.word));
        end();
    });
}

void SuggestionPoster::post(const QString& text, const QString& alias, const QString& installationId)
{
    m_status.setText(QStringLiteral("Posting message"));
    m_fetcher.fetch(ServerRequests::forumPostAddress(m_window.values().scriptUrl(), text, alias, installationId,
                                                     QDateTime::currentDateTime()),
                    this, [this, text](const FetchResult& reply) { postAnswered(text, reply); });
}

void SuggestionPoster::postAnswered(const QString& text, const FetchResult& reply)
{
    switch (ReplyTokens::classify(reply)) {
    case ReplyToken::Ok:
        // What was typed after the text was sent is kept.
        if (SuggestionBoxRules::postedText(m_window.userTab()->text4()) == text)
            m_window.userTab()->text4()->clear();
        m_window.unsetCursor();
        OkMessage::show(&m_window, QStringLiteral("Message posted. Thank You!!"));
        m_status.setText(QStringLiteral("Message posted. Thank you"));
        break;
    case ReplyToken::Taken:
        // Nothing was posted; the text stays for another try under a new alias.
        m_status.setText(QStringLiteral("Message not posted: the alias belongs to another user"));
        m_window.unsetCursor();
        ReportAliasTaken(m_window);
        break;
    default:
        // "Posting message" would suggest that it went out; say that it did not, and why.
        m_status.setText(reply.failed ? QStringLiteral("Message not posted: no reply from the server")
                                      : QStringLiteral("Message not posted: the server did not accept it"));
        break;
    }
    m_status.markPending();
    end();
}

void SuggestionPoster::end()
{
    m_window.unsetCursor();
    m_posting = false;
}
