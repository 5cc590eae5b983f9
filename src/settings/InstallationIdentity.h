#pragma once

#include <QDate>
#include <QString>

#include <array>

// The installation record kept encoded under settings value "101": four fields, each followed
// by "|": two empty fields, the date it was made (MM-dd-yyyy) and the installation ID, a
// random number below 1,000,000 written with one leading blank.
namespace InstallationIdentity {

inline constexpr char kValueName[] = "101";

// Index k holds field k (1 to 4); index 0 is not used.
using Fields = std::array<QString, 5>;

// Reads the record, creating and storing a new one when it is missing or cannot be read.
// The fields of the record read (or made) are returned trimmed.
Fields ReadInstallationRecord(const QString& registryKeyPath);

// The text form of an ID drawn as r (0 <= r < 1): r x 1,000,000 with a leading blank, at
// most 15 significant digits, no exponent and no "0" before the point of a number below 1.
QString idText(float r);

// Draws r from the operating system's random source.
float drawRandomFraction();

// The plain record made on the given date with the given ID text.
QString plainRecord(const QDate& date, const QString& id);

// Splits a decoded record into its fields; false when it is not four "|"-terminated fields.
bool parseRecord(const QString& plain, Fields* fields);

} // namespace InstallationIdentity
