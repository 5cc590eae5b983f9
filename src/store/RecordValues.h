#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

// Reading the values that records hold as free text, shared by the record list's sort, the
// record browser and the atlas, so that all of them read a date or a price the same way.
namespace RecordValues {

// The form in which the entry form writes a Date Visited: the locale's short date format with a
// four-digit year (a two-digit one would read back in the wrong century).
QString dateFormat(const QLocale& locale = QLocale());
QString dateText(const QDate& date, const QLocale& locale = QLocale());

// A date as the entry form writes it, typed by hand in the same order with one-digit day or
// month ("9/9/2024"), with other separators or none beside a month's name ("2Jun2024"), in ISO
// form, or as the program stamps it ("mm-dd-yyyy", also with " hh:mm:ss"); the year has four
// digits. Invalid for any other text.
QDate dateFrom(const QString& text, const QLocale& locale = QLocale());

// The same, with the stamp's time, as seconds since an epoch: the order of dates and times.
std::optional<double> dateValue(const QString& text, const QLocale& locale = QLocale());

// The amount a price stands for: the first number after a currency sign when there is one
// ("1p:$127/4p:$381" is 127), else the number it starts with ("45", "12,5 EUR"); none otherwise.
std::optional<double> priceValue(const QString& text);

} // namespace RecordValues
