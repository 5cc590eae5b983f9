#pragma once

#include <QString>

// How the window reads the texts of its settings values.
namespace SettingText {

// A switch stored as "True"/"False": on for "True" or a number other than 0; off for a
// missing or empty value, "False", 0 or anything else.
bool isOn(const QString& text);

// The whole number at the start of a text (leading blanks, a sign, digits and an optional
// fraction, rounded); 0 when the text does not start with a number.
int leadingWholeNumber(const QString& text);

} // namespace SettingText
