#pragma once

#include <QString>

#include <functional>

// The scan of a forum suggestion for web addresses. The text is cut into words at blanks;
// a word is refused when it holds "http", "://" or "www.", when it holds two dots or more,
// when its ending from its first dot is one of the common domain endings, or when a link
// probe of the word brings back a non-empty reply.
//
// The words are tested in order and the probes made one after the other, each once the one
// before has been answered; nothing waits for a reply.
class SuggestionCheck
{
public:
    // The probe fetches the word as an address and calls reply once with what came back ("" on
    // failure). When reply never comes (the requester is gone), the verdict never comes either.
    using Reply = std::function<void(const QString& reply)>;
    using LinkProbe = std::function<void(const QString& word, Reply reply)>;

    explicit SuggestionCheck(LinkProbe probe) : m_probe(std::move(probe)) {}

    struct Verdict
    {
        bool refused = false;
        QString word; // the refused word, trimmed and lower-cased
    };

    // Calls verdict once: at once when no word needs a probe, otherwise after the probes.
    void CheckSuggestionText(const QString& text, std::function<void(const Verdict&)> verdict) const;

    // "Invalid text found: " word " message not posted".
    static QString refusalStatus(const QString& word);

    // The word tests without the probe; true when the word is refused by them.
    static bool looksLikeAddress(const QString& word);

private:
    LinkProbe m_probe;
};
