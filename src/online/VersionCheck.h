#pragma once

#include "online/FetchResult.h"

#include <QString>

// The program's version and what the server's version file says about it.
namespace VersionCheck {

// Major "." minor "." revision: "1.0.0".
QString programVersionText();

// The digits of major, minor and revision one after the other, as a number: 100.
double programNumber();

// The number at the start of a reply with blanks, tabs and line feeds removed (0 when none).
double serverNumber(const QString& reply);

// "There is a new version", "This version is current" or "Remote server not found" (a failed
// request, an answer that is not 2xx, or a reply of 4 characters or more).
QString resultText(const FetchResult& reply);

} // namespace VersionCheck
