#pragma once

#include <QString>

#include <functional>

// The scan of a forum suggestion for web addresses. The text is cut into words at blanks;
// a word is refused when it holds "http", "://" or "www.", when it holds two dots or more,
// when its ending from its first dot is one of the common domain endings, or when a link
// probe of the word brings back a non-empty reply.
class SuggestionCheck
{
public:
    // The probe fetches the word as an address and returns the reply ("" on failure).
    using LinkProbe = std::function<QString(const QString& word)>;

    explicit SuggestionCheck(LinkProbe probe) : m_probe(std::move(probe)) {}

    struct Verdict
    {
        bool refused = false;
        QString word; // the refused word, trimmed and lower-cased
    };

    Verdict CheckSuggestionText(const QString& text) const;

    // "Invalid text found: " word " message not posted".
    static QString refusalStatus(const QString& word);

    // The word tests without the probe; true when the word is refused by them.
    static bool looksLikeAddress(const QString& word);

private:
    LinkProbe m_probe;
};
