#pragma once

#include <QObject>
#include <QString>

class FrmScrn;
class StatusLine;
class TextFetcher;

// Share (Toolbar2 button 1 and the Other menu): sends the records marked for sharing, shows
// the progress in the status line, writes the server's answers into the marks and closes with
// a message saying how many records went out.
class ShareCommand : public QObject
{
    Q_OBJECT

public:
    ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    void ShareRecords();

    // The add request for one stored line; the reply, or "" when the request failed.
    QString SendRecord(const QString& line);

private:
    FrmScrn& m_window;
    TextFetcher& m_fetcher;
    StatusLine& m_status;
};
