#pragma once

#include <QTextBrowser>

// The help page in a window of the program's own, for when no browser can be started: links
// within the help stay here, links out of it go to the desktop's browser.
class HelpWindow : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
};
