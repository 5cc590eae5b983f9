#include "store/TextFolding.h"

namespace TextFolding {

namespace {

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool isCombiningMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// Letters that neither decomposition nor case folding take apart, already in lower case.
const char16_t* spelledOut(char16_t c)
{
    switch (c) {
    case u'ß': case u'ẞ': return u"ss";
    case u'æ': case u'Æ': return u"ae";
    case u'œ': case u'Œ': return u"oe";
    case u'ø': case u'Ø': return u"o";
    case u'ł': case u'Ł': return u"l";
    case u'đ': case u'Đ': case u'ð': case u'Ð': return u"d";
    case u'þ': case u'Þ': return u"th";
    case u'ħ': case u'Ħ': return u"h";
    case u'ŧ': case u'Ŧ': return u"t";
    case u'ı': return u"i";
    case u'ĸ': return u"k";
    case u'ŀ': case u'Ŀ': return u"l";
    case u'ŉ': return u"n";
    default: return nullptr;
    }
}

// The same letters when spelt the second way: an "e" after the vowel.
const char16_t* spelledWithE(char16_t c)
{
    switch (c) {
    case u'ä': case u'Ä': return u"ae";
    case u'ö': case u'Ö': case u'ø': case u'Ø': return u"oe";
    case u'ü': case u'Ü': return u"ue";
    case u'å': case u'Å': return u"aa";
    default: return nullptr;
    }
}

QString spellOut(const QString& text, const char16_t* (*speller)(char16_t), bool* changed)
{
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (const char16_t* letters = speller(c.unicode())) {
            result += QString::fromUtf16(letters);
            *changed = true;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

QString fold(const QString& text)
{
    // Most records are plain ASCII: they need no decomposition, only the case folded.
    if (isPlainAscii(text))
        return text.toLower();
    bool changed = false;
    QString decomposed = spellOut(text, spelledOut, &changed).normalized(QString::NormalizationForm_KD);
    decomposed.removeIf(isCombiningMark);
    return decomposed.toCaseFolded();
}

QStringList foldedWords(const QString& text)
{
    return fold(text).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString searchText(const QString& text)
{
    const QString folded = fold(text);
    if (isPlainAscii(text))
        return folded;
    bool changed = false;
    const QString second = spellOut(text, spelledWithE, &changed);
    if (!changed)
        return folded;
    return folded + QLatin1Char('\n') + fold(second);
}

} // namespace TextFolding
