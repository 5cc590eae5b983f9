#pragma once

#include <QProgressDialog>

class QWidget;

// The progress of a share, modal to the window: "record i of n" with a Cancel button. The
// request in flight is never broken off; Cancel takes effect before the next one.
class ShareProgress
{
public:
    explicit ShareProgress(QWidget* window);
    ShareProgress(const ShareProgress&) = delete;
    ShareProgress& operator=(const ShareProgress&) = delete;

    // Shows that record index (from 1) of total is about to be sent, after handling what the
    // user did meanwhile; false once the user pressed Cancel.
    bool step(int index, int total);

private:
    QProgressDialog m_dialog;
};
