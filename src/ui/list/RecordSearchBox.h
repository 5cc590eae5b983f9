#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class RecordListView;

// The search box above the record list: as the user types, the list shows only the records
// that hold every typed word, and a label says how many of all records that is. Ctrl+F
// anywhere in the window brings it up with the focus, Escape empties it. Escape, in the box
// or the list, or emptying the box, also shows again the records of every place after the
// Atlas showed those of one.
class RecordSearchBox : public QWidget
{
    Q_OBJECT

public:
    // scope is the window in which Ctrl+F reaches the box, whichever tab is in front.
    RecordSearchBox(RecordListView* list, QWidget* scope, QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    QLabel* countLabel() const { return m_count; }

    // "N of M records" while searching ("N of M records in France" in a place), "M records"
    // otherwise.
    static QString countText(int shown, int total, bool searching, const QString& place = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusSearch();
    void showCount();

    RecordListView* m_list;
    QLineEdit* m_edit;
    QLabel* m_count;
};
