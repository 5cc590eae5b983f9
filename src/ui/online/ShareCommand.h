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
// saying what became of each record. Nothing blocks: the window paints throughout, and the
// dialog's Cancel (or Escape) breaks off the request in flight at once.
class ShareCommand : public QObject
{
    Q_OBJECT

public:
    ShareCommand(FrmScrn& window, TextFetcher& fetcher, StatusLine& status, QObject* parent = nullptr);

    void ShareRecords();
    bool isSharing() const { return m_run && !m_run->isFinished(); }

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
};
