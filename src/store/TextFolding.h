#pragma once

#include <QString>
#include <QStringList>

// Folds a text for searching and matching: letter case and accents are ignored, so "cafe"
// finds "Café" and "STRASSE" finds "strasse". Compatibility characters are split ("ﬁ" is
// "fi"), and the letters that no accent rule takes apart are written out the way travellers
// type them without the letter: "ß" is "ss", "æ" "ae", "œ" "oe", "ø" "o", "ł" "l", "đ" "d".
// The search index, the record browser and the atlas all fold with this one function.
namespace TextFolding {

QString fold(const QString& text);

// The folded words of a search text, split at white space.
QStringList foldedWords(const QString& text);

// What a search looks in: the fold of the text and, when the text holds letters that are also
// spelt with a following "e" ("ä" "ae", "ö" and "ø" "oe", "ü" "ue", "å" "aa"), that second
// fold after a line break, so that both "oresund" and "oeresund" find "Øresund" and "aeroe"
// finds "Ærø". A search word never holds a line break, so the two spellings never join.
QString searchText(const QString& text);

} // namespace TextFolding
