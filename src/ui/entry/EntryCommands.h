#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class EntryForm;
class RecordListModel;
class RecordListView;
class RecordStore;
class QWidget;

// The commands that move records between the entry form and the record list: Add, Replace
// and Clear of Toolbar1, Remove of the Other menu, and showing a listed record in the form.
// Every change is written to the database file at once; when that fails the user is told
// and the list is put back as the file has it, with the form unchanged, so nothing typed is lost.
class EntryCommands : public QObject
{
    Q_OBJECT

public:
    EntryCommands(EntryForm* form, RecordStore& store, RecordListModel* model, RecordListView* list,
                  QWidget* window, QObject* parent = nullptr);

    // Toolbar1 button 1 (Add), 2 (Replace) or 3 (Clear), each after the common pre-step.
    void toolbar1Click(int index);

    void Add();
    void Replace();
    void Clear();
    void RemoveEntry();

    // Copies a row (0-based) into the form and names it in the window caption.
    void ShowRecord(int row);

    // The form's text for list column 1 to 22 (22 is the date stamp of now).
    QString ColumnValue(int column) const;

    // The Text1 box that edits a column from 0 to 21.
    static int text1ForColumn(int column);

    // "MM-dd-yyyy hh:mm:ss" on the 24-hour clock, whatever the user's date settings.
    static QString dateStamp(const QDateTime& when);

private:
    void preStep();
    void focusPlace();
    void reportStoreFailure(const QString& reason);
    int findPlace(const QString& place) const;

    EntryForm* m_form;
    RecordStore& m_store;
    RecordListModel* m_model;
    RecordListView* m_list;
    QWidget* m_window;
};
