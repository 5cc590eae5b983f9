#include "online/SuggestionCheck.h"

#include <QStringList>

#include <array>
#include <memory>

namespace {

// The endings of a word from its first dot that mark it as a web address.
constexpr std::array<char16_t const*, 9> kEndings = {u".com", u".net",  u".org", u".co", u".nl",
                                                     u".ch",  u".info", u".us",  u".es"};

// Position (from 1) of the first blank at or after position from; 0 when there is none.
qsizetype blankAtOrAfter(const QString& text, qsizetype from)
{
    if (from > text.size())
        return 0;
    return text.indexOf(u' ', from - 1) + 1;
}

// Blanks only come off the ends; tabs and line breaks stay part of the word.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool SuggestionCheck::looksLikeAddress(const QString& word)
{
    const QString lower = word.toLower();
    if (lower.contains(u"http") || lower.contains(u"://") || lower.contains(u"www."))
        return true;
    const qsizetype dot = lower.indexOf(u'.');
    if (dot < 0)
        return false;
    const QString ending = lower.mid(dot);
    if (ending.count(u'.') > 1)
        return true;
    for (const char16_t* known : kEndings) {
        if (ending == QStringView(known))
            return true;
    }
    return false;
}

namespace {

// The words of the text up to the first one that the tests without the probe refuse.
struct Scan
{
    QStringList toProbe; // the words with a dot before it, in order
    QString refused;     // that word; empty when none is refused
};

Scan scan(const QString& text)
{
    // Positions count from 1. The end of a word is searched from two characters after its
    // start, which is what joins a one-character first word to the word after it.
    Scan found;
    const qsizetype length = text.size();
    qsizetype previousEnd = 0;
    bool first = true;
    for (;;) {
        const qsizetype start = first ? 1 : blankAtOrAfter(text, previousEnd);
        first = false;
        qsizetype end = blankAtOrAfter(text, start + 2);
        if (end == 0) {
            if (start >= length)
                return found;
            end = length + start;
        }
        const QString word = trimBlanks(text.mid(start - 1, end - start)).toLower();
        if (SuggestionCheck::looksLikeAddress(word)) {
            found.refused = word;
            return found;
        }
        if (word.contains(u'.'))
            found.toProbe << word;
        previousEnd = end;
        if (end >= length)
            return found;
    }
}

struct Probing
{
    SuggestionCheck::LinkProbe probe;
    Scan scan;
    std::function<void(const SuggestionCheck::Verdict&)> verdict;
};

// Probes the next word; a word that brings back a reply is refused before any later one.
void probeNext(const std::shared_ptr<Probing>& probing)
{
    if (probing->scan.toProbe.isEmpty() || !probing->probe) {
        const QString& refused = probing->scan.refused;
        return probing->verdict({!refused.isEmpty(), refused});
    }
    const QString word = probing->scan.toProbe.takeFirst();
    probing->probe(word, [probing, word](const QString& reply) {
        if (!reply.isEmpty())
            return probing->verdict({true, word});
        probeNext(probing);
    });
}

} // namespace

void SuggestionCheck::CheckSuggestionText(const QString& text, std::function<void(const Verdict&)> verdict) const
{
    probeNext(std::make_shared<Probing>(Probing{m_probe, scan(text), std::move(verdict)}));
}

QString SuggestionCheck::refusalStatus(const QString& word)
{
    return QStringLiteral("Invalid text found: ") + word + QStringLiteral(" message not posted");
}
