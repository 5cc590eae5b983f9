#include "ui/list/SortKeys.h"

#include "store/Cp1252.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "store/RecordValues.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

QCollator listCollator()
{
    // Alphabetical in the user's language; the C locale has no alphabet, so English stands in.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

SortKeys::SortKeys(const RecordStore& store, int column)
{
    const int rows = store.rowCount();
    const bool dates = column == RecordColumns::DateVisited || column == RecordColumns::DateModified;
    const bool prices = column == RecordColumns::Price;
    const QCollator collator = listCollator();
    // Many records share a date: each distinct text is read only once.
    QHash<QString, std::optional<double>> readDates;
    m_keys.resize(size_t(rows));
    m_texts.reserve(size_t(rows));
    const QCollatorSortKey none = collator.sortKey(QString());
    for (int row = 0; row < rows; ++row) {
        const QString text = Cp1252::toUnicode(store.row(row).fieldBytes(column));
        std::optional<double> value;
        if (dates) {
            auto known = readDates.find(text);
            if (known == readDates.end())
                known = readDates.insert(text, RecordValues::dateValue(text));
            value = *known;
        } else if (prices) {
            value = RecordValues::priceValue(text);
        }
        if (value)
            m_keys[size_t(row)] = {true, *value};
        m_texts.push_back(value ? none : collator.sortKey(text));
    }
}

bool SortKeys::before(int a, int b, Qt::SortOrder order) const
{
    const Key& first = m_keys[size_t(a)];
    const Key& second = m_keys[size_t(b)];
    if (first.hasValue != second.hasValue)
        return first.hasValue;
    if (order == Qt::DescendingOrder)
        std::swap(a, b);
    if (first.hasValue)
        return m_keys[size_t(a)].value < m_keys[size_t(b)].value;
    return m_texts[size_t(a)].compare(m_texts[size_t(b)]) < 0;
}

std::vector<int> SortKeys::sortedOrder(Qt::SortOrder order) const
{
    std::vector<int> newOrder(m_keys.size());
    std::iota(newOrder.begin(), newOrder.end(), 0);
    std::stable_sort(newOrder.begin(), newOrder.end(), [this, order](int a, int b) { return before(a, b, order); });
    return newOrder;
}
