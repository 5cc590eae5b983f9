#pragma once

#include "atlas/NameKey.h"

#include <QHash>
#include <QString>

class CountryTable;

// Finds the country that a typed Country value names: its name or one of its other names,
// compared by their NameKey (no letter case, accents or punctuation). A text that names no
// country, or that two countries could be, finds none: it is never guessed.
class CountryMatcher
{
public:
    explicit CountryMatcher(const CountryTable& table);

    // The country's index in the table, or -1.
    int match(const QString& typed) const { return m_byKey.value(NameKey::of(typed), -1); }

private:
    QHash<QString, int> m_byKey;
};
