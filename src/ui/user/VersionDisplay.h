#pragma once

#include <QObject>
#include <QString>

class TextFetcher;
class UserTab;

// The Software Information of the User tab: Label9(0) shows the program's version, Label9(1)
// what the server's version file says about it. The question is asked in the background, so
// the window is usable at once; the answer appears when it comes (at the latest after the
// request time-out, as "Remote server not found").
class VersionDisplay : public QObject
{
    Q_OBJECT

public:
    VersionDisplay(UserTab* tab, TextFetcher& fetcher, QString serverBaseUrl, QObject* parent = nullptr);

    void CheckVersion();

private:
    UserTab* m_tab;
    TextFetcher& m_fetcher;
    QString m_serverBaseUrl;
};
