#include "ui/list/SortKeys.h"

#include "store/Cp1252.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/DateVisitedPicker.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <numeric>

namespace {

constexpr double kSecondsPerDay = 86400;

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

// The digits at [from, from + count) as a number, or -1 when one of them is no digit.
int digitsAt(const QString& text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "mm-dd-yyyy" or "mm-dd-yyyy hh:mm:ss", the form of the program's own stamps.
std::optional<double> stampValue(const QString& text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    if (text.at(2) != u'-' || text.at(5) != u'-')
        return std::nullopt;
    const QDate date(digitsAt(text, 6, 4), digitsAt(text, 0, 2), digitsAt(text, 3, 2));
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (text.size() == 19) {
        if (text.at(10) != u' ' || text.at(13) != u':' || text.at(16) != u':')
            return std::nullopt;
        time = QTime(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
        if (!time.isValid())
            return std::nullopt;
    }
    return double(date.toJulianDay()) * kSecondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

std::optional<double> pickerValue(const QString& text)
{
    const QDate date = DateVisitedPicker::dateFrom(text);
    if (!date.isValid())
        return std::nullopt;
    return double(date.toJulianDay()) * kSecondsPerDay;
}

} // namespace

std::optional<double> SortKeys::dateValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // A stamp with its time is never in the picker's format; a bare date is read the user's way first.
    if (trimmed.size() == 19)
        return stampValue(trimmed);
    if (const auto picked = pickerValue(trimmed))
        return picked;
    return stampValue(trimmed);
}

std::optional<double> SortKeys::leadingNumber(const QString& text)
{
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && text.at(at).isSpace())
            ++at;
    };
    skipBlanks();
    if (at < text.size() && text.at(at).category() == QChar::Symbol_Currency) {
        ++at;
        skipBlanks();
    }
    const qsizetype start = at;
    while (at < text.size() && text.at(at).isDigit() && text.at(at).unicode() < 0x80)
        ++at;
    if (at == start)
        return std::nullopt;
    QString number = text.mid(start, at - start);
    // A decimal point or comma counts only with a digit after it ("12." is 12).
    if (at + 1 < text.size() && (text.at(at) == u'.' || text.at(at) == u',') && text.at(at + 1).isDigit()) {
        qsizetype end = at + 1;
        while (end < text.size() && text.at(end).isDigit() && text.at(end).unicode() < 0x80)
            ++end;
        number += QLatin1Char('.') + text.mid(at + 1, end - at - 1);
    }
    return number.toDouble();
}

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
                known = readDates.insert(text, dateValue(text));
            value = *known;
        } else if (prices) {
            value = leadingNumber(text);
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
