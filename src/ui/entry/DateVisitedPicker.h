#pragma once

#include <QDateEdit>
#include <QPointer>

class QLineEdit;

// DTPicker1: the date picker that stands over the Date Visited box while that box is being
// edited. It opens on the box's date (today when the box holds none) and writes into the box
// only a date the user changed or confirmed (Enter, or a click on a day of the calendar), so
// passing through the field never changes a record.
class DateVisitedPicker : public QDateEdit
{
    Q_OBJECT

public:
    // field is Text1(5); backTarget is the control before it in the tab order, which Shift+Tab
    // from the picker reaches.
    explicit DateVisitedPicker(QLineEdit* field, QWidget* parent = nullptr);

    void setBackTarget(QWidget* widget) { m_backTarget = widget; }

    // Places the picker over the Date Visited box and shows it.
    void ShowDatePicker();

    // The date as the form shows it: the user's short date format with a four-digit year.
    static QString displayFormat();
    static QString textFor(const QDate& date);
    static QDate dateFrom(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void writeToField(const QDate& date);
    void placeOverField();

    QLineEdit* m_field;
    QPointer<QWidget> m_backTarget;
    bool m_opening = false;
    bool m_leftBackwards = false;
};
