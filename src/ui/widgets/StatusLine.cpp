#include "ui/widgets/StatusLine.h"

#include "ui/widgets/ScreenReader.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTimer>

namespace {

const char* const kStatusLineProperty = "roamlogStatusLine";

// How a screen reader sees the status line: a status bar named by what it says at the moment
// (by its own name while it is empty), with the same text as its value.
class StatusLineAccessible : public QAccessibleWidget
{
public:
    explicit StatusLineAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override
    {
        const QString shown = static_cast<QLabel*>(widget())->text();
        switch (t) {
        case QAccessible::Name:
            return shown.isEmpty() ? widget()->accessibleName() : shown;
        case QAccessible::Value:
            return shown;
        case QAccessible::Description:
            return widget()->accessibleName();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* statusLineInterface(const QString&, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (label == nullptr || !label->property(kStatusLineProperty).toBool())
        return nullptr;
    return new StatusLineAccessible(label);
}

void announce(QLabel* label)
{
    QAccessibleEvent nameChanged(label, QAccessible::NameChanged);
    ScreenReader::announce(&nameChanged);
    QAccessibleValueChangeEvent valueChanged(label, label->text());
    ScreenReader::announce(&valueChanged);
}

} // namespace

StatusLine::StatusLine(QLabel* label10, QObject* parent) : QObject(parent), m_label10(label10)
{
    m_label10->setProperty(kStatusLineProperty, true);
    // An interface made before the label became the status line is dropped for ours.
    ScreenReader::useInterface(m_label10, statusLineInterface,
                               [](QAccessibleInterface* face) { return face->role() == QAccessible::StatusBar; });
    // A long message is cut off at the window's edge rather than widening the window; its tool
    // tip shows it whole.
    m_label10->setSizePolicy(QSizePolicy::Ignored, m_label10->sizePolicy().verticalPolicy());

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
    if (text == m_label10->text())
        return;
    m_label10->setText(text);
    m_label10->setToolTip(text);
    announce(m_label10);
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
        setText(QString());
        m_timer1->stop();
    }
    m_statusPending = false;
}
