#include "online/SuggestionCheck.h"

#include <array>

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

SuggestionCheck::Verdict SuggestionCheck::CheckSuggestionText(const QString& text) const
{
    // Positions count from 1. The end of a word is searched from two characters after its
    // start, which is what joins a one-character first word to the word after it.
    const qsizetype length = text.size();
    qsizetype previousEnd = 0;
    bool first = true;
    for (;;) {
        const qsizetype start = first ? 1 : blankAtOrAfter(text, previousEnd);
        first = false;
        qsizetype end = blankAtOrAfter(text, start + 2);
        if (end == 0) {
            if (start >= length)
                return {};
            end = length + start;
        }
        const QString word = trimBlanks(text.mid(start - 1, end - start)).toLower();
        if (looksLikeAddress(word) || (word.contains(u'.') && m_probe && !m_probe(word).isEmpty()))
            return {true, word};
        previousEnd = end;
        if (end >= length)
            return {};
    }
}

QString SuggestionCheck::refusalStatus(const QString& word)
{
    return QStringLiteral("Invalid text found: ") + word + QStringLiteral(" message not posted");
}
