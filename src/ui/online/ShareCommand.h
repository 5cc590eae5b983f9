#pragma once

#include "online/FetchResult.h"

#include <QObject>
#include <QString>

class FrmScrn;
class StatusLine;
class TextFetcher;

// Share (Toolbar2 button 1 and the Other menu): asks first which fields of how many records
// will become public, sends the records marked for sharing with a cancellable progress dialog
// and the progress in the status line, writes the server's answers into the marks and closes
// with a message saying what became of each record.
class ShareCommand : public QObject
{
    Q_OBJECT

public:
    ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    void ShareRecords();

    // The add request for one stored line.
    FetchResult SendRecord(const QString& line);

private:
    // The question before anything is published; true without asking when nothing would be sent.
    bool userAgrees() const;

    FrmScrn& m_window;
    TextFetcher& m_fetcher;
    StatusLine& m_status;
};
