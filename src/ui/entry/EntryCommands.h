#pragma once

#include "store/TravelRecord.h"
#include "ui/entry/RecordEdits.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

class EditHistory;
class EntryForm;
class RecordCommand;
class RecordListModel;
class RecordListView;
class RecordStore;
class StatusLine;
class QWidget;

// The commands that move records between the entry form and the record list: Add, Replace
// and Clear of Toolbar1, Remove, Undo and Redo of the Other menu, and showing a listed record
// in the form. Every change is written to the database file at once; when that fails the user
// is told and the list is put back as the file has it, with the form unchanged, so nothing
// typed is lost. The window caption names the record shown in the form.
class EntryCommands : public QObject
{
    Q_OBJECT

public:
    EntryCommands(EntryForm* form, RecordStore& store, RecordListModel* model, RecordListView* list,
                  QWidget* window, QObject* parent = nullptr);
    ~EntryCommands() override;

    // Where messages that need no answer go; until set they appear in the caption alone.
    void setStatusLine(StatusLine* status) { m_status = status; }

    // Why the last load stopped part-way, for the message that refuses a change.
    void setReadFailure(const QString& reason) { m_readFailure = reason; }
    // When the store writes nothing (its load stopped part-way, or the window is read-only) or
    // changes are held, tells the user so; true then.
    bool refuseIfReadOnly();
    // While a reason is held every change to the records is refused, with the reason in the
    // status line: a share under way sends the records by their places in the list. "" lifts it.
    void holdChanges(const QString& reason) { m_held = reason; }
    // Says the reason held, if any; true then.
    bool refuseIfHeld();
    // Before a change: when another program changed the file since the list was read or last
    // stored, the list is read again and the user told, so that the change is made on what the
    // file holds and no record of the other program's is written over. A row given is then the
    // row that holds the same record. False, after telling the user why, when the change
    // cannot be made: the file cannot be read again, or the record is gone from it.
    bool catchUp(int* row = nullptr);

    // Toolbar1 button 1 (Add), 2 (Replace) or 3 (Clear), each after the common pre-step.
    void toolbar1Click(int index);

    void Add();
    // True when the selected record was overwritten and saved.
    bool Replace();
    void Clear();
    void RemoveEntry();
    void Undo();
    void Redo();

    EditHistory* history() const { return m_history; }

    // Whether the form holds a record picked from the list (Ctrl+Return replaces it then).
    bool formHoldsListedRecord() const { return m_formHoldsShown; }

    // Copies a row (0-based) into the form and names it in the window caption.
    void ShowRecord(int row);
    // A record picked in the list: when the form holds unsaved edits of the record it shows,
    // the user is asked first whether to save them, drop them or stay.
    void pickRecord(int row);

    // The form's text for list column 1 to 22 (22 is the date stamp of now).
    QString ColumnValue(int column) const;

    // The Text1 box that edits a column from 0 to 21.
    static int text1ForColumn(int column);

    // "MM-dd-yyyy hh:mm:ss" on the 24-hour clock, whatever the user's date settings.
    static QString dateStamp(const QDateTime& when);

private:
    struct Shown
    {
        TravelRecord record;
        int row = -1;
    };

    void preStep();
    // Whether the form can be read: what is being typed is taken, and a date that cannot be
    // read is refused with its hint.
    bool formIsReady();
    // Replace on a given row (0-based): the form's columns 1 to 22 over it, then a rewrite.
    bool replaceWithForm(int row);
    void clearForm();
    void focusPlace();
    void reportStoreFailure(const QString& reason);
    void say(const QString& text);
    int findPlace(const QString& place) const;
    bool formDiffersFrom(const TravelRecord& record) const;
    void stepThroughHistory(bool back);
    void followChange(const RecordCommand& command);
    void nameInCaption(const std::optional<Shown>& shown);

    EntryForm* m_form;
    RecordStore& m_store;
    RecordListView* m_list;
    QWidget* m_window;
    RecordEdits m_edits;
    EditHistory* m_history;
    StatusLine* m_status = nullptr;
    QString m_readFailure;
    QString m_held;
    // The record the caption names, and whether the form still holds it for editing.
    std::optional<Shown> m_shown;
    bool m_formHoldsShown = false;
};
