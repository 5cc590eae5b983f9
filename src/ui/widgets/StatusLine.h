#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QTimer;

// The status line Label10 with its clearing timer Timer1. The online commands write their
// progress and results into it; a text they mark as pending is taken away at the next tick.
// Screen readers see the line as a status bar that announces each new text.
class StatusLine : public QObject
{
    Q_OBJECT

public:
    static constexpr int kClearingIntervalMs = 30000;

    StatusLine(QLabel* label10, QObject* parent = nullptr);

    QString text() const;
    // Writes the line and leaves the clearing timer as it is.
    void setText(const QString& text);
    // Starts Timer1 and sets the pending flag, so that the line is emptied at the next tick.
    void markPending();
    // setText and markPending together.
    void show(const QString& text);

    bool isPending() const { return m_statusPending; }
    QTimer* timer1() const { return m_timer1; }

    // Timer1's tick: a pending text is emptied and the timer stops; the flag is cleared in any case.
    void tick();

private:
    QLabel* m_label10;
    QTimer* m_timer1;
    bool m_statusPending = false;
};
