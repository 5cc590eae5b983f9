#include "ui/list/TextFolding.h"

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

} // namespace

QString fold(const QString& text)
{
    // Most records are plain ASCII: they need no decomposition, only the case folded.
    if (isPlainAscii(text))
        return text.toLower();
    QString decomposed = text.normalized(QString::NormalizationForm_KD);
    decomposed.removeIf(isCombiningMark);
    return decomposed.toCaseFolded();
}

QStringList foldedWords(const QString& text)
{
    return fold(text).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace TextFolding
