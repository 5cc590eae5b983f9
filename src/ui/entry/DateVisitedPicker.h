#pragma once

#include <QDate>
#include <QLineEdit>
#include <QPointer>

class QCalendarWidget;
class QFrame;

// DTPicker1: the box that stands over the Date visited field while it is edited. The user types
// a date in the form the box shows or any other form RecordValues reads ("14 May 2024",
// "2Jun2024", "5/14/2024"), or picks one from the calendar (Alt+Down, F4 or the button at the
// box's end). Leaving the box writes the date into the field in the form the box shows; a text
// that is no date is refused in the box with a hint and the field keeps its value, so nothing
// typed there ever becomes another date or reaches another field. Passing through changes nothing.
class DateVisitedPicker : public QLineEdit
{
    Q_OBJECT

public:
    // field is Text1(5); backTarget is the control before it in the tab order, which Shift+Tab
    // from the picker reaches.
    explicit DateVisitedPicker(QLineEdit* field, QWidget* parent = nullptr);

    void setBackTarget(QWidget* widget) { m_backTarget = widget; }

    // Places the picker over the Date visited box and shows it with the field's text.
    void ShowDatePicker();
    // Writes what was typed into the field; false when it is no date, which is refused with the
    // hint and leaves the field as it was.
    bool commit();
    // Hides the picker and forgets what was typed, as when the field is set from a record.
    void reset();
    void openCalendar();

    QCalendarWidget* calendar() const { return m_calendar; }
    QString hint() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pick(const QDate& date);
    void refuse();
    void placeOverField();

    QLineEdit* m_field;
    QPointer<QWidget> m_backTarget;
    QFrame* m_popup;
    QCalendarWidget* m_calendar;
    bool m_leftBackwards = false;
};
