#include "ui/entry/DateVisitedPicker.h"

#include "ui/entry/EntryLineEdit.h"

#include "store/RecordValues.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace {

// 20 twips, the amount by which the picker stands above the box.
constexpr int AboveField = 1;

} // namespace

DateVisitedPicker::DateVisitedPicker(QLineEdit* field, QWidget* parent) : QDateEdit(parent), m_field(field)
{
    setObjectName(QStringLiteral("DTPicker1"));
    setAccessibleName(field->accessibleName());
    setCalendarPopup(true);
    setDisplayFormat(displayFormat());
    setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    setDate(QDate(2006, 10, 22));
    hide();

    connect(this, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (!m_opening)
            writeToField(date);
    });
    // A click on a day confirms it even when it is the day already shown.
    connect(calendarWidget(), &QCalendarWidget::clicked, this, &DateVisitedPicker::writeToField);
    connect(calendarWidget(), &QCalendarWidget::activated, this, &DateVisitedPicker::writeToField);

    field->installEventFilter(this);
    if (auto* box = qobject_cast<EntryLineEdit*>(field))
        connect(box, &EntryLineEdit::clicked, this, &DateVisitedPicker::ShowDatePicker);
}

QString DateVisitedPicker::displayFormat()
{
    return RecordValues::dateFormat();
}

QString DateVisitedPicker::textFor(const QDate& date)
{
    return RecordValues::dateText(date);
}

QDate DateVisitedPicker::dateFrom(const QString& text)
{
    return RecordValues::dateFrom(text);
}

void DateVisitedPicker::ShowDatePicker()
{
    placeOverField();
    if (isVisible())
        return;
    m_opening = true;
    const QDate shown = dateFrom(m_field->text());
    setDate(shown.isValid() ? shown : QDate::currentDate());
    m_opening = false;
    show();
    raise();
}

void DateVisitedPicker::placeOverField()
{
    const QRect box = m_field->geometry();
    setGeometry(box.x(), box.y() - AboveField, qMax(box.width(), sizeHint().width()),
                qMax(box.height(), sizeHint().height()) + AboveField);
}

void DateVisitedPicker::writeToField(const QDate& date)
{
    if (date.isValid())
        m_field->setText(textFor(date));
}

bool DateVisitedPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::FocusIn: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
                break;
            if (m_leftBackwards && reason == Qt::BacktabFocusReason && m_backTarget) {
                // Shift+Tab out of the picker goes on to the control before the date.
                m_leftBackwards = false;
                m_backTarget->setFocus(Qt::BacktabFocusReason);
                return true;
            }
            m_leftBackwards = false;
            ShowDatePicker();
            setFocus(reason == Qt::BacktabFocusReason ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
        case QEvent::Move:
        case QEvent::Resize:
            if (isVisible())
                placeOverField();
            break;
        default:
            break;
        }
    }
    return QDateEdit::eventFilter(watched, event);
}

bool DateVisitedPicker::focusNextPrevChild(bool next)
{
    // Tab leaves the picker for the next field; the arrow keys move between the date's parts.
    return QWidget::focusNextPrevChild(next);
}

void DateVisitedPicker::focusOutEvent(QFocusEvent* event)
{
    QDateEdit::focusOutEvent(event);
    const auto reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    if (calendarWidget()->isVisible())
        return;
    m_leftBackwards = reason == Qt::BacktabFocusReason;
    hide();
}

void DateVisitedPicker::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter confirms the date shown, whether or not it was changed.
        interpretText();
        writeToField(date());
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}
