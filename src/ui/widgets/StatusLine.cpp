#include "ui/widgets/StatusLine.h"

#include <QLabel>
#include <QTimer>

StatusLine::StatusLine(QLabel* label10, QObject* parent) : QObject(parent), m_label10(label10)
{
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kClearingIntervalMs);
    connect(m_timer1, &QTimer::timeout, this, &StatusLine::tick);
}

QString StatusLine::text() const
{
    return m_label10->text();
}

void StatusLine::setText(const QString& text)
{
    m_label10->setText(text);
}

void StatusLine::markPending()
{
    // A restart gives a fresh message its full time on screen.
    m_timer1->start();
    m_statusPending = true;
}

void StatusLine::show(const QString& text)
{
    setText(text);
    markPending();
}

void StatusLine::tick()
{
    if (m_statusPending) {
        m_label10->clear();
        m_timer1->stop();
    }
    m_statusPending = false;
}
