#pragma once

#include <QString>

// What two typed names of a place share when they name the same place: the folded text
// (TextFolding: no letter case, no accents) with punctuation as blanks, "&" as "and", no
// leading "The", and "St" at the start as "Saint". "St. Lucia" and "saint-lucia" have one key.
namespace NameKey {

QString of(const QString& typed);

} // namespace NameKey
