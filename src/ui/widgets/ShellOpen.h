#pragma once

#include <QUrl>

#include <functional>

// Opens a document or web address the way the desktop does (browser, viewer), and says whether
// an opener could be started. Windows take one of these so that tests can watch what would be
// opened instead of starting a browser.
using ShellOpen = std::function<bool(const QUrl&)>;

// The desktop's own opener.
ShellOpen systemShellOpen();
