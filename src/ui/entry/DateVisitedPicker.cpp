#include "ui/entry/DateVisitedPicker.h"

#include "store/RecordValues.h"
#include "ui/entry/EntryLineEdit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// 20 twips, the amount by which the picker stands above the box.
constexpr int AboveField = 1;

bool opensCalendar(const QKeyEvent* key)
{
    return key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier));
}

} // namespace

DateVisitedPicker::DateVisitedPicker(QLineEdit* field, QWidget* parent)
    : QLineEdit(parent), m_field(field), m_popup(new QFrame(this, Qt::Popup)), m_calendar(new QCalendarWidget(m_popup))
{
    setObjectName(QStringLiteral("DTPicker1"));
    setAccessibleName(field->accessibleName());
    hide();

    QAction* button = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    button->setToolTip(QStringLiteral("Calendar (F4)"));
    connect(button, &QAction::triggered, this, &DateVisitedPicker::openCalendar);

    m_popup->setFrameShape(QFrame::StyledPanel);
    (new QVBoxLayout(m_popup))->addWidget(m_calendar);
    m_popup->layout()->setContentsMargins(0, 0, 0, 0);
    m_calendar->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    m_calendar->installEventFilter(this);
    connect(m_calendar, &QCalendarWidget::clicked, this, &DateVisitedPicker::pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &DateVisitedPicker::pick);

    field->installEventFilter(this);
    if (auto* box = qobject_cast<EntryLineEdit*>(field))
        connect(box, &EntryLineEdit::clicked, this, &DateVisitedPicker::ShowDatePicker);
}

QString DateVisitedPicker::hint() const
{
    return QStringLiteral("Not a date: type one like %1, or press F4 for the calendar")
        .arg(RecordValues::dateText(QDate::currentDate()));
}

void DateVisitedPicker::ShowDatePicker()
{
    placeOverField();
    if (isVisible())
        return;
    setText(m_field->text());
    setToolTip(QString());
    show();
    raise();
}

void DateVisitedPicker::reset()
{
    hide();
    m_popup->hide();
    setText(m_field->text());
}

bool DateVisitedPicker::commit()
{
    if (!isVisible() || text() == m_field->text())
        return true;
    if (text().trimmed().isEmpty()) {
        m_field->clear();
    } else {
        const QDate date = RecordValues::dateFrom(text());
        if (!date.isValid()) {
            refuse();
            return false;
        }
        m_field->setText(RecordValues::dateText(date));
    }
    setText(m_field->text());
    setToolTip(QString());
    return true;
}

void DateVisitedPicker::refuse()
{
    setToolTip(hint());
    selectAll();
    QToolTip::showText(mapToGlobal(QPoint(0, height())), hint(), this);
}

void DateVisitedPicker::openCalendar()
{
    const QDate typed = RecordValues::dateFrom(text());
    m_calendar->setSelectedDate(typed.isValid() ? typed : QDate::currentDate());
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DateVisitedPicker::pick(const QDate& date)
{
    m_popup->hide();
    setText(RecordValues::dateText(date));
    commit();
    setFocus(Qt::PopupFocusReason);
}

void DateVisitedPicker::placeOverField()
{
    const QRect box = m_field->geometry();
    setGeometry(box.x(), box.y() - AboveField, qMax(box.width(), sizeHint().width()), box.height() + AboveField);
}

bool DateVisitedPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_calendar && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_popup->hide();
        setFocus(Qt::PopupFocusReason);
        return true;
    }
    if (watched != m_field)
        return QLineEdit::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return false;
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
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible())
        placeOverField();
    return false;
}

bool DateVisitedPicker::focusNextPrevChild(bool next)
{
    // Tab does not leave a text that is no date.
    if (!commit())
        return true;
    return QLineEdit::focusNextPrevChild(next);
}

void DateVisitedPicker::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    const auto reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason || m_popup->isVisible())
        return;
    // A click elsewhere leaves a refused text in sight, so it is not lost unseen.
    if (!commit())
        return;
    m_leftBackwards = reason == Qt::BacktabFocusReason;
    hide();
}

void DateVisitedPicker::keyPressEvent(QKeyEvent* event)
{
    if (opensCalendar(event)) {
        openCalendar();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commit();
    } else if (event->key() == Qt::Key_Escape && text() != m_field->text()) {
        setText(m_field->text());
    } else {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}
