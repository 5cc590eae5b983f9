#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress of a share beside the window: "record i of n" with a Cancel button. The window
// stays usable meanwhile (its tabs, the list, the search), while the changes to the records wait
// for the end (EntryCommands::holdChanges). Cancel, Escape and closing the dialog all reject it:
// that is the user's cancel.
class ShareProgress : public QDialog
{
    Q_OBJECT

public:
    explicit ShareProgress(QWidget* window);

    // Shows that record index (from 1) of total is being sent.
    void step(int index, int total);

private:
    QLabel* m_label;
    QProgressBar* m_bar;
};
