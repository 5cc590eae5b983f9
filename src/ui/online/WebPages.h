#pragma once

#include <QObject>

class FrmScrn;

// The server's pages opened in the user's browser: "Browse Records" and "Read Forum" of the
// Tools menu, and "Show posts" of the User tab. Nothing is read back and nothing is reported.
class WebPages : public QObject
{
    Q_OBJECT

public:
    explicit WebPages(FrmScrn& window, QObject* parent = nullptr);

    void OpenRecordBrowser();
    void OpenForum();
    void OpenForumPage();

private:
    void open(const QString& address) const;

    FrmScrn& m_window;
};
