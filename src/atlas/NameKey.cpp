#include "atlas/NameKey.h"

#include "store/TextFolding.h"

namespace NameKey {

QString of(const QString& typed)
{
    const QString folded = TextFolding::fold(typed);
    QString words;
    words.reserve(folded.size() + 1);
    words += u' ';
    bool blank = true;
    for (const QChar c : folded) {
        if (c.isLetterOrNumber()) {
            words += c;
            blank = false;
            continue;
        }
        if (c == u'&')
            words += blank ? QStringLiteral("and ") : QStringLiteral(" and ");
        else if (!blank)
            words += u' ';
        blank = true;
    }
    if (words.endsWith(u' '))
        words.chop(1);
    if (words.startsWith(QLatin1String(" the ")))
        words.remove(0, 4);
    if (words.startsWith(QLatin1String(" st ")))
        words.replace(1, 2, QStringLiteral("saint"));
    return words.mid(1);
}

} // namespace NameKey
