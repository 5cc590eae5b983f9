#include "ui/entry/EntryCommands.h"

#include "settings/ProgramValues.h"
#include "store/Cp1252.h"
#include "store/DatabaseFile.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/AddRecordCommand.h"
#include "ui/entry/DateVisitedPicker.h"
#include "ui/entry/EditHistory.h"
#include "ui/entry/EntryForm.h"
#include "ui/entry/RemoveRecordCommand.h"
#include "ui/entry/ReplaceRecordCommand.h"
#include "ui/entry/TextBoxUndoKeys.h"
#include "ui/list/RecordListView.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/StatusLine.h"

#include <QLineEdit>
#include <QWidget>

#include <array>

namespace {

// The Text1 box of each column 0 to 21.
constexpr std::array<int, 22> kText1ForColumn = {0, 10, 7, 12, 8, 13, 3, 30, 1, 19, 2, 4, 11, 17, 6, 9, 16, 20, 18, 5, 15, 14};

constexpr int kWebBox = 14;

QString title()
{
    return QLatin1String(ProgramValues::kApplicationTitle);
}

} // namespace

EntryCommands::EntryCommands(EntryForm* form, RecordStore& store, RecordListModel* model, RecordListView* list,
                             QWidget* window, QObject* parent)
    : QObject(parent), m_form(form), m_store(store), m_list(list), m_window(window), m_edits(store, model),
      m_history(new EditHistory(this))
{
}

EntryCommands::~EntryCommands() = default;

int EntryCommands::text1ForColumn(int column)
{
    return column >= 0 && column < int(kText1ForColumn.size()) ? kText1ForColumn[size_t(column)] : -1;
}

QString EntryCommands::dateStamp(const QDateTime& when)
{
    // A format string is read with the C locale's digits and names, never the user's.
    return when.toString(QStringLiteral("MM-dd-yyyy hh:mm:ss"));
}

QString EntryCommands::ColumnValue(int column) const
{
    if (column == RecordColumns::DateModified)
        return dateStamp(QDateTime::currentDateTime());
    if (column < 1 || column > RecordColumns::DateModified)
        return {};
    return m_form->text1(text1ForColumn(column));
}

bool EntryCommands::refuseIfHeld()
{
    if (m_held.isEmpty())
        return false;
    say(m_held);
    return true;
}

bool EntryCommands::refuseIfReadOnly()
{
    // Checked before anything changes, so that the list stays as it is.
    if (refuseIfHeld())
        return true;
    if (!m_store.writesRefused())
        return false;
    if (const QString why = m_store.readOnlyReason(); !why.isEmpty()) {
        say(QStringLiteral("Not saved: ") + why);
        return true;
    }
    OkMessage::show(m_window,
                    QStringLiteral("%1 could not be read to its end, so no change is saved until the program is "
                                   "restarted.")
                        .arg(QLatin1String(DatabaseFile::kFileName)),
                    m_readFailure, QMessageBox::Warning);
    return true;
}

bool EntryCommands::catchUp(int* row)
{
    std::optional<TravelRecord> held;
    if (row && *row >= 0)
        held = m_store.row(*row);
    const QString file = QLatin1String(DatabaseFile::kFileName);
    const std::optional<LoadReport> reread = m_edits.catchUp();
    if (!reread)
        return true;
    if (!reread->readToEnd()) {
        reportStoreFailure(QStringLiteral("%1 was changed by another program and cannot be read again: %2")
                               .arg(file, reread->readError));
        return false;
    }
    say(QStringLiteral("%1 was changed by another program: the list was read again (%2 records)")
            .arg(file)
            .arg(reread->records));
    if (!held)
        return true;
    *row = m_edits.find(*held, *row);
    if (*row >= 0)
        return true;
    reportStoreFailure(QStringLiteral("The record is no longer in %1: another program changed or removed it. "
                                      "The list shows what the file now holds.")
                           .arg(file));
    return false;
}

void EntryCommands::toolbar1Click(int index)
{
    preStep();
    switch (index) {
    case 1:
        Add();
        break;
    case 2:
        Replace();
        break;
    case 3:
        Clear();
        break;
    default:
        break;
    }
}

void EntryCommands::preStep()
{
    // The Web box offers "http://" when entered empty; a bare prefix is no address.
    if (m_form->text1(kWebBox) == QLatin1String("http://"))
        m_form->setText1(kWebBox, QString());
}

bool EntryCommands::formIsReady()
{
    if (!m_form->finishEditing()) {
        say(m_form->dtPicker1()->hint());
        m_form->dtPicker1()->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void EntryCommands::Add()
{
    const QString place = m_form->text1(0);
    if (place.isEmpty()) {
        say(QStringLiteral("Type a business name to add a record"));
        focusPlace();
        return;
    }
    if (!formIsReady() || refuseIfReadOnly() || !catchUp())
        return;
    TravelRecord record;
    for (int column = 0; column <= RecordColumns::DateModified; ++column) {
        const QString value = column == 0 ? place : ColumnValue(column);
        if (const auto problem = record.setField(column, value)) {
            reportStoreFailure(QStringLiteral("%1: %2").arg(RecordColumns::header(column), problem->reason));
            return;
        }
    }
    // A new record is offered for sharing.
    if (const auto problem = record.setField(RecordColumns::UploadMark, QStringLiteral("*"))) {
        reportStoreFailure(problem->reason);
        return;
    }
    if (const StoreResult added = m_edits.append(record); !added) {
        reportStoreFailure(added.error);
        return;
    }
    const int row = m_store.rowCount() - 1;
    m_history->push(new AddRecordCommand(m_edits, m_store.row(row), row));
    m_formHoldsShown = false;
    clearForm();
}

int EntryCommands::findPlace(const QString& place) const
{
    bool encodable = true;
    const QByteArray wanted = Cp1252::fromUnicode(place, &encodable);
    if (!encodable)
        return -1;
    const int rows = m_store.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (m_store.row(row).fieldBytes(RecordColumns::Place) == wanted)
            return row;
    }
    return -1;
}

bool EntryCommands::Replace()
{
    return replaceWithForm(m_list->selectedRow());
}

bool EntryCommands::replaceWithForm(int row)
{
    const QString place = m_form->text1(0);
    if (place.isEmpty())
        return false;
    if (findPlace(place) < 0) {
        const QString notFound = place + QStringLiteral(" - Item not found");
        m_window->setWindowTitle(title() + QStringLiteral(" - ") + notFound);
        say(notFound);
        return false;
    }
    // The search only confirms that the Place exists: the record overwritten is the one given.
    if (row < 0 || !formIsReady() || refuseIfReadOnly() || !catchUp(&row))
        return false;
    const TravelRecord before = m_store.row(row);
    TravelRecord record = before;
    for (int column = 1; column <= RecordColumns::DateModified; ++column) {
        if (const auto problem = record.setField(column, ColumnValue(column))) {
            reportStoreFailure(QStringLiteral("%1: %2").arg(RecordColumns::header(column), problem->reason));
            return false;
        }
    }
    if (const StoreResult replaced = m_edits.replace(row, record); !replaced) {
        // The file still holds the old record: so does the list, and the form keeps the edit.
        reportStoreFailure(replaced.error);
        return false;
    }
    m_history->push(new ReplaceRecordCommand(m_edits, before, m_store.row(row), row));
    // The caption names the record as now stored, with its new Modified stamp.
    m_shown = Shown{m_store.row(row), row};
    nameInCaption(m_shown);
    m_formHoldsShown = false;
    clearForm();
    return true;
}

void EntryCommands::Clear()
{
    m_formHoldsShown = false;
    clearForm();
}

void EntryCommands::RemoveEntry()
{
    if (m_store.rowCount() == 0)
        return;
    int row = m_list->selectedRow();
    if (row < 0)
        return;
    // Only the record that the form shows can be removed.
    if (m_store.row(row).field(RecordColumns::Place) != m_form->text1(0) || refuseIfReadOnly() ||
        !catchUp(&row))
        return;
    const TravelRecord removed = m_store.row(row);
    if (const StoreResult saved = m_edits.remove(row); !saved) {
        // The file still holds the record: it is back where it stood, selected again.
        m_list->selectRow(row);
        reportStoreFailure(saved.error);
        return;
    }
    m_history->push(new RemoveRecordCommand(m_edits, removed, row));
    // The form still holds the fields; from now on they are a new record.
    m_formHoldsShown = false;
    if (m_shown && RecordEdits::sameFields(m_shown->record, removed)) {
        m_shown.reset();
        nameInCaption(m_shown);
    }
    say(QStringLiteral("Removed %1 - Ctrl+Z to undo").arg(removed.field(RecordColumns::Place)));
}

void EntryCommands::Undo()
{
    stepThroughHistory(true);
}

void EntryCommands::Redo()
{
    stepThroughHistory(false);
}

void EntryCommands::stepThroughHistory(bool back)
{
    if (!(back ? m_history->canUndo() : m_history->canRedo()) || refuseIfReadOnly() || !catchUp())
        return;
    StoreResult result;
    const RecordCommand* command = back ? m_history->undo(result) : m_history->redo(result);
    if (!result) {
        // The list is as the file has it and the step stays on the stack.
        reportStoreFailure(result.error);
        return;
    }
    followChange(*command);
    say((back ? QStringLiteral("Undone: %1") : QStringLiteral("Redone: %1")).arg(command->text()));
}

void EntryCommands::followChange(const RecordCommand& command)
{
    const RecordCommand::Change& change = command.lastChange();
    if (!m_shown || !change.taken || !RecordEdits::sameFields(m_shown->record, *change.taken))
        return;
    if (change.put) {
        m_shown = Shown{*change.put, change.row};
    } else {
        m_shown.reset();
        m_formHoldsShown = false;
    }
    nameInCaption(m_shown);
}

void EntryCommands::ShowRecord(int row)
{
    if (row < 0 || row >= m_store.rowCount())
        return;
    const TravelRecord& record = m_store.row(row);
    for (int column = 0; column <= RecordColumns::Web; ++column) {
        // A pick-list field's hidden box shows its value in the combo box as well.
        m_form->setText1(text1ForColumn(column), record.field(column));
    }
    TextBoxUndoKeys::markUntyped(m_form);
    m_shown = Shown{record, row};
    m_formHoldsShown = true;
    nameInCaption(m_shown);
}

bool EntryCommands::formDiffersFrom(const TravelRecord& record) const
{
    for (int column = 0; column <= RecordColumns::Web; ++column) {
        QString value = m_form->text1(text1ForColumn(column));
        if (column == RecordColumns::Web && value == QLatin1String("http://"))
            value.clear(); // the prefix the box offers is no edit
        if (value != record.field(column))
            return true;
    }
    return false;
}

void EntryCommands::pickRecord(int row)
{
    const int shownRow = m_shown && m_formHoldsShown ? m_edits.find(m_shown->record, m_shown->row) : -1;
    if (shownRow >= 0 && formDiffersFrom(m_shown->record)) {
        // The same record again keeps the edits in the form.
        if (shownRow == row)
            return;
        const QMessageBox::StandardButton answer = QuestionMessage::askSaveDiscardCancel(
            m_window, QStringLiteral("Save the changes to %1?").arg(m_shown->record.field(RecordColumns::Place)));
        bool stay = answer == QMessageBox::Cancel;
        if (answer == QMessageBox::Save) {
            preStep();
            stay = !replaceWithForm(shownRow);
        }
        if (stay) {
            // A record the search box hides cannot be selected: then none is, so that
            // Replace cannot overwrite the record clicked.
            m_list->selectRow(shownRow);
            if (m_list->selectedRow() != shownRow)
                m_list->clearSelection();
            return;
        }
    }
    ShowRecord(row);
}

void EntryCommands::nameInCaption(const std::optional<Shown>& shown)
{
    if (!shown) {
        m_window->setWindowTitle(QLatin1Char(' ') + title());
        return;
    }
    m_window->setWindowTitle(title() + QStringLiteral("@: ") + shown->record.field(RecordColumns::Place)
                             + QStringLiteral(" - Modified: ") + shown->record.field(RecordColumns::DateModified));
}

void EntryCommands::clearForm()
{
    m_form->ClearEntryFields();
    // Ctrl+Z in an emptied box undoes the command, not the emptying.
    TextBoxUndoKeys::markUntyped(m_form);
    focusPlace();
}

void EntryCommands::focusPlace()
{
    if (QWidget* place = m_form->text1Box(0))
        place->setFocus(Qt::OtherFocusReason);
}

void EntryCommands::say(const QString& text)
{
    if (m_status)
        m_status->show(text);
}

void EntryCommands::reportStoreFailure(const QString& reason)
{
    OkMessage::showSaveFailure(m_window, reason);
}
