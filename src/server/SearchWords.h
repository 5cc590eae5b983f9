#pragma once

#include "store/TravelRecord.h"

#include <QString>
#include <QStringList>

// The words by which the record browser finds a record: those of its place, city and
// comments, folded with TextFolding (case and accents do not count, and "ø" is found as "o"
// and as "oe"), so that every engine finds the same records. A word is a run of letters and
// digits; the search and the records are split alike.
namespace SearchWords {

// The words of a record, each once, joined by blanks: what the records table keeps for it.
QString ofRecord(const TravelRecord& record);
// The words of what a search asks for; each matches the words that begin with it.
QStringList ofQuery(const QString& text);

} // namespace SearchWords
