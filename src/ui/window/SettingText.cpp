#include "ui/window/SettingText.h"

#include <QRegularExpression>

#include <cmath>

namespace SettingText {

namespace {

// The number at the start of the text, or nothing when there is none.
bool leadingNumber(const QString& text, double* value)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    bool ok = false;
    *value = match.captured(1).toDouble(&ok);
    return ok;
}

} // namespace

bool isOn(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool isNumber = false;
    const double value = trimmed.toDouble(&isNumber);
    return isNumber && value != 0.0;
}

int leadingWholeNumber(const QString& text)
{
    double value = 0.0;
    if (!leadingNumber(text, &value) || !std::isfinite(value) || std::fabs(value) > 2.0e9)
        return 0;
    // Halves go to the even neighbour (banker's rounding), so "0.5" reads as 0 and "1.5" as 2.
    return int(std::nearbyint(value));
}

} // namespace SettingText
