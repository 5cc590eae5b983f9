#include "ui/online/SuggestionPoster.h"

#include "online/ReplyToken.h"
#include "online/ServerRequests.h"
#include "online/SuggestionCheck.h"
#include "online/TextFetcher.h"
#include "ui/online/AliasTakenReport.h"
#include "ui/user/SuggestionBoxRules.h"
#include "ui/user/UserTab.h"
#include "ui/widgets/BusyPointer.h"
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

bool SuggestionPoster::CheckSuggestionText()
{
    const SuggestionCheck check([this](const QString& word) { return m_fetcher.FetchText(word).text; });
    const SuggestionCheck::Verdict verdict =
        check.CheckSuggestionText(SuggestionBoxRules::postedText(m_window.userTab()->text4()));
    if (verdict.refused)
        m_status.show(SuggestionCheck::refusalStatus(verdict.word));
    return verdict.refused;
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
    if (installationId.isEmpty())
        return;

    BusyPointer busy;
    if (CheckSuggestionText())
        return;
    m_status.setText(QStringLiteral("Posting message"));
    const FetchResult reply = m_fetcher.FetchText(ServerRequests::forumPostAddress(
        m_window.values().scriptUrl(), SuggestionBoxRules::postedText(tab->text4()), alias, installationId,
        QDateTime::currentDateTime()));

    switch (ReplyTokens::classify(reply.text)) {
    case ReplyToken::Ok:
        tab->text4()->clear();
        BusyPointer::withNormalPointer(
            [this] { OkMessage::show(&m_window, QStringLiteral("Message posted. Thank You!!")); });
        m_status.setText(QStringLiteral("Message posted. Thank you"));
        break;
    case ReplyToken::Taken:
        // Nothing was posted; the text stays for another try under a new alias.
        m_status.setText(QStringLiteral("Message not posted: the alias belongs to another user"));
        ReportAliasTaken(m_window);
        break;
    default:
        // "Posting message" would suggest that it went out; say that it did not, and why.
        m_status.setText(reply.failed ? QStringLiteral("Message not posted: no reply from the server")
                                      : QStringLiteral("Message not posted: the server did not accept it"));
        break;
    }
    m_status.markPending();
}
