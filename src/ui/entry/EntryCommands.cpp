#include "ui/entry/EntryCommands.h"

#include "settings/ProgramValues.h"
#include "store/Cp1252.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/widgets/MessageBox.h"

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
    : QObject(parent), m_form(form), m_store(store), m_model(model), m_list(list), m_window(window)
{
}

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

void EntryCommands::Add()
{
    const QString place = m_form->text1(0);
    if (place.isEmpty())
        return;
    TravelRecord record;
    for (int column = 0; column <= RecordColumns::DateModified; ++column) {
        const QString value = column == 0 ? place : ColumnValue(column);
        if (const auto problem = record.setField(column, value)) {
            reportStoreFailure(QStringLiteral("%1: %2").arg(RecordColumns::header(column), problem->reason));
            return;
        }
    }
    if (const StoreResult added = m_model->appendRecord(record); !added) {
        reportStoreFailure(added.error);
        return;
    }
    const int row = m_store.rowCount() - 1;
    // The line goes to the file before the row gets its upload mark, so it is stored unmarked.
    if (const StoreResult appended = m_store.AppendRecord(row); !appended) {
        // The file does not have it, so neither does the list; the form still holds it.
        m_model->removeRecord(row);
        reportStoreFailure(appended.error);
        return;
    }
    record.setField(RecordColumns::UploadMark, QStringLiteral("*"));
    m_model->replaceRecord(row, record);
    m_form->ClearEntryFields();
    focusPlace();
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

void EntryCommands::Replace()
{
    const QString place = m_form->text1(0);
    if (place.isEmpty())
        return;
    if (findPlace(place) < 0) {
        m_window->setWindowTitle(title() + QStringLiteral(" - ") + place + QStringLiteral(" - Item not found"));
        return;
    }
    // The search only confirms that the Place exists: the record overwritten is the selected one.
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    const TravelRecord before = m_store.row(row);
    TravelRecord record = before;
    for (int column = 1; column <= RecordColumns::DateModified; ++column) {
        if (const auto problem = record.setField(column, ColumnValue(column))) {
            reportStoreFailure(QStringLiteral("%1: %2").arg(RecordColumns::header(column), problem->reason));
            return;
        }
    }
    if (const StoreResult replaced = m_model->replaceRecord(row, record); !replaced) {
        reportStoreFailure(replaced.error);
        return;
    }
    if (const StoreResult saved = m_store.SaveAllRecords(); !saved) {
        // The file still holds the old record: so does the list, and the form keeps the edit.
        m_model->replaceRecord(row, before);
        reportStoreFailure(saved.error);
        return;
    }
    m_form->ClearEntryFields();
    focusPlace();
}

void EntryCommands::Clear()
{
    m_form->ClearEntryFields();
    focusPlace();
}

void EntryCommands::RemoveEntry()
{
    if (m_store.rowCount() == 0)
        return;
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    // Only the record that the form shows can be removed.
    if (m_store.row(row).field(RecordColumns::Place) != m_form->text1(0))
        return;
    const TravelRecord removed = m_store.row(row);
    m_model->removeRecord(row);
    if (const StoreResult saved = m_store.SaveAllRecords(); !saved) {
        // The file still holds the record: put it back where it stood, selected again.
        m_model->insertRecord(row, removed);
        m_list->selectRow(row);
        reportStoreFailure(saved.error);
    }
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
    m_window->setWindowTitle(title() + QStringLiteral("@: ") + record.field(RecordColumns::Place)
                             + QStringLiteral(" - Modified: ") + record.field(RecordColumns::DateModified));
}

void EntryCommands::focusPlace()
{
    if (QWidget* place = m_form->text1Box(0))
        place->setFocus(Qt::OtherFocusReason);
}

void EntryCommands::reportStoreFailure(const QString& reason)
{
    OkMessage::showSaveFailure(m_window, reason);
}
