#include "server/SearchWords.h"

#include "store/RecordColumns.h"
#include "store/TextFolding.h"

#include <QSet>

namespace SearchWords {

namespace {

QStringList split(const QString& folded)
{
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        // A letter outside the first plane comes as two surrogates; it stays inside its word.
        const bool inWord = i < folded.size() && (folded[i].isLetterOrNumber() || folded[i].isSurrogate());
        if (inWord && start < 0)
            start = i;
        else if (!inWord && start >= 0) {
            words << folded.mid(start, i - start);
            start = -1;
        }
    }
    return words;
}

} // namespace

QString ofRecord(const TravelRecord& record)
{
    using namespace RecordColumns;
    const QString text = record.field(Place) + QLatin1Char(' ') + record.field(City) + QLatin1Char(' ') +
                         record.field(Comments);
    QStringList unique;
    QSet<QString> seen;
    for (const QString& word : split(TextFolding::searchText(text))) {
        if (!seen.contains(word)) {
            seen.insert(word);
            unique << word;
        }
    }
    return unique.join(QLatin1Char(' '));
}

QStringList ofQuery(const QString& text)
{
    return split(TextFolding::fold(text));
}

} // namespace SearchWords
