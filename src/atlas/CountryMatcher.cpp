#include "atlas/CountryMatcher.h"

#include "atlas/CountryTable.h"
#include "atlas/NameKey.h"

#include <QSet>

namespace {

constexpr int kAmbiguous = -2;

} // namespace

CountryMatcher::CountryMatcher(const CountryTable& table)
{
    // The names shown come first and always win; another name that two countries share
    // finds neither.
    for (int i = 0; i < table.size(); ++i)
        m_byKey.insert(NameKey::of(table.at(i).name), i);
    QSet<QString> shown(m_byKey.keyBegin(), m_byKey.keyEnd());
    for (int i = 0; i < table.size(); ++i) {
        for (const QString& other : table.at(i).otherNames) {
            const QString k = NameKey::of(other);
            if (k.isEmpty() || shown.contains(k))
                continue;
            const auto found = m_byKey.constFind(k);
            m_byKey.insert(k, found == m_byKey.cend() || *found == i ? i : kAmbiguous);
        }
    }
    m_byKey.removeIf([](const auto& entry) { return entry.value() == kAmbiguous; });
}
