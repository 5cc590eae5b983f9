#pragma once

#include <QCollator>
#include <QString>

#include <optional>
#include <vector>

class RecordStore;

// The keys by which a header click orders the rows of one column, computed once per sort.
// Date Visited and Date Modified order by date and time, Price by the number it starts with;
// the texts that hold no date (or no number) come after those that do, whichever the order,
// and are ordered among themselves like the other columns: alphabetically in the user's
// language, ignoring letter case, with "é" beside "e".
class SortKeys
{
public:
    SortKeys(const RecordStore& store, int column);

    // The rows' new order: position p gets the row now at result[p]. Rows with equal keys
    // keep their order.
    std::vector<int> sortedOrder(Qt::SortOrder order) const;

    // A date as the date picker writes it in the user's format, or as the program stamps it
    // ("mm-dd-yyyy" with or without " hh:mm:ss"), as seconds since an epoch; none for other texts.
    static std::optional<double> dateValue(const QString& text);
    // The number at the start of a price ("45", "$45.50", "12,5 EUR"); none when it starts otherwise.
    static std::optional<double> leadingNumber(const QString& text);

private:
    struct Key
    {
        bool hasValue = false;
        double value = 0;
    };

    bool before(int a, int b, Qt::SortOrder order) const;

    std::vector<Key> m_keys;
    // Filled only for the rows without a value.
    std::vector<QCollatorSortKey> m_texts;
};
