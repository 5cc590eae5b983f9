#pragma once

#include <QString>
#include <QStringList>

// Folds a text for searching: letter case and accents are ignored, so "cafe" finds "Café"
// and "STRASSE" finds "strasse". Compatibility characters are split as well ("ﬁ" is "fi").
namespace TextFolding {

QString fold(const QString& text);

// The folded words of a search text, split at white space.
QStringList foldedWords(const QString& text);

} // namespace TextFolding
