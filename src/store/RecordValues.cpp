#include "store/RecordValues.h"

#include <QTime>

namespace RecordValues {

namespace {

constexpr double kSecondsPerDay = 86400;

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

QDate stampDate(const QString& text)
{
    if (text.size() < 10 || text.at(2) != u'-' || text.at(5) != u'-')
        return {};
    return QDate(digitsAt(text, 6, 4), digitsAt(text, 0, 2), digitsAt(text, 3, 2));
}

// "mm-dd-yyyy" or "mm-dd-yyyy hh:mm:ss", the form of the program's own stamps.
std::optional<double> stampValue(const QString& text)
{
    if (text.size() != 10 && text.size() != 19)
        return std::nullopt;
    const QDate date = stampDate(text);
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

qsizetype skipBlanks(const QString& text, qsizetype at)
{
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    return at;
}

bool isAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

// The number at the position, with a decimal point or comma only when a digit follows it.
std::optional<double> numberAt(const QString& text, qsizetype at)
{
    const qsizetype start = at;
    while (at < text.size() && isAsciiDigit(text.at(at)))
        ++at;
    if (at == start)
        return std::nullopt;
    QString number = text.mid(start, at - start);
    if (at + 1 < text.size() && (text.at(at) == u'.' || text.at(at) == u',') && isAsciiDigit(text.at(at + 1))) {
        qsizetype end = at + 1;
        while (end < text.size() && isAsciiDigit(text.at(end)))
            ++end;
        number += QLatin1Char('.') + text.mid(at + 1, end - at - 1);
    }
    return number.toDouble();
}

// The order in which a format names day, month and year, as the letters 'd', 'M' and 'y'.
QString partOrder(const QString& format)
{
    QString order;
    for (const QChar c : format) {
        if ((c == u'd' || c == u'M' || c == u'y') && !order.contains(c))
            order += c;
    }
    return order.size() == 3 ? order : QStringLiteral("dMy");
}

// The month a name stands for, in the locale's language or in English, long or short; 0 for none.
int monthNamed(const QString& name, const QLocale& locale)
{
    for (const QLocale& language : {locale, QLocale::c()}) {
        for (int month = 1; month <= 12; ++month) {
            for (const auto form : {QLocale::LongFormat, QLocale::ShortFormat}) {
                for (QString known : {language.monthName(month, form), language.standaloneMonthName(month, form)}) {
                    if (known.endsWith(u'.'))
                        known.chop(1);
                    if (!known.isEmpty() && known.compare(name, Qt::CaseInsensitive) == 0)
                        return month;
                }
            }
        }
    }
    return 0;
}

// A date typed freely: day, month and year in the format's order, parted by blanks or any
// punctuation or nothing at all between digits and a month's name ("2Jun2024"). The year has
// four digits. When the format names its months, digits that cannot be day then month are
// read month first, as "5/14/2024" is.
QDate looseDate(const QString& text, const QLocale& locale)
{
    QStringList numbers;
    QStringList words;
    for (qsizetype at = 0; at < text.size();) {
        const bool digit = isAsciiDigit(text.at(at));
        if (!digit && !text.at(at).isLetter()) {
            ++at;
            continue;
        }
        const qsizetype start = at;
        while (at < text.size() && (digit ? isAsciiDigit(text.at(at)) : text.at(at).isLetter()))
            ++at;
        (digit ? numbers : words).append(text.mid(start, at - start));
    }
    const QString format = dateFormat(locale);
    const QString order = partOrder(format);
    if (words.size() == 1 && numbers.size() == 2) {
        const int month = monthNamed(words.first(), locale);
        const int yearAt = numbers.at(0).size() == 4 ? 0 : 1;
        if (month == 0 || numbers.at(yearAt).size() != 4 || numbers.at(1 - yearAt).size() > 2)
            return {};
        return QDate(numbers.at(yearAt).toInt(), month, numbers.at(1 - yearAt).toInt());
    }
    if (!words.isEmpty() || numbers.size() != 3 || numbers.at(order.indexOf(u'y')).size() != 4)
        return {};
    const auto part = [&](QChar which) { return numbers.at(order.indexOf(which)).toInt(); };
    QDate date(part(u'y'), part(u'M'), part(u'd'));
    if (!date.isValid() && format.contains(QLatin1String("MMM")))
        date = QDate(part(u'y'), part(u'd'), part(u'M'));
    return date;
}

} // namespace

QString dateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString dateText(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, dateFormat(locale));
}

QDate dateFrom(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QString format = dateFormat(locale);
    QDate date = locale.toDate(trimmed, format);
    if (!date.isValid()) {
        // One-digit days and months as typed by hand: "d" reads one or two digits.
        QString relaxed = format;
        relaxed.replace(QLatin1String("dd"), QLatin1String("d")).replace(QLatin1String("MM"), QLatin1String("M"));
        date = locale.toDate(trimmed, relaxed);
    }
    if (!date.isValid())
        date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid() && trimmed.size() == 10)
        date = stampDate(trimmed);
    if (!date.isValid())
        date = looseDate(trimmed, locale);
    return date;
}

std::optional<double> dateValue(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // A stamp with its time is never in the entry form's format.
    if (trimmed.size() == 19)
        return stampValue(trimmed);
    const QDate date = dateFrom(trimmed, locale);
    if (!date.isValid())
        return std::nullopt;
    return double(date.toJulianDay()) * kSecondsPerDay;
}

std::optional<double> priceValue(const QString& text)
{
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text.at(at).category() == QChar::Symbol_Currency) {
            if (const auto amount = numberAt(text, skipBlanks(text, at + 1)))
                return amount;
        }
    }
    return numberAt(text, skipBlanks(text, 0));
}

} // namespace RecordValues
