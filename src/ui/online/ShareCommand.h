#pragma once

#include "online/RecordSharing.h"

#include <QObject>
#include <QPointer>
#include <QString>

class FrmScrn;
class ShareProgress;
class StatusLine;
class TextFetcher;

// Share (Toolbar2 button 1 and the Other menu): asks first which fields of how many records
// will become public, sends the records marked for sharing with the progress in a dialog and
// in the status line, writes the server's answers into the marks and closes with a message
// saying what became of each record. Nothing blocks: the window stays usable throughout, but
// every change to the records is refused until the end, since the share sends them by their
// places in the list; the dialog's Cancel (or Escape) breaks off the request in flight at once.
class ShareCommand : public QObject
{
    Q_OBJECT

public:
    ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    void ShareRecords();
    bool isSharing() const { return m_run && !m_run->isFinished(); }
    // Ends a share under way at once, as Cancel does, for the window closing: the answers so
    // far are saved, and only a failure to save them is shown.
    void endNow();

    // Starts the add request for one stored line; reply comes while request lives.
    void SendRecord(const QString& line, QObject* request, const RecordSharing::Reply& reply);

private:
    // The question before anything is published; true without asking when nothing would be sent.
    bool userAgrees() const;
    RecordSharing::Hooks hooks();
    void shareFinished();

    FrmScrn& m_window;
    TextFetcher& m_fetcher;
    StatusLine& m_status;
    RecordSharing* m_run = nullptr;
    QPointer<ShareProgress> m_progress;
    bool m_ending = false;
};
