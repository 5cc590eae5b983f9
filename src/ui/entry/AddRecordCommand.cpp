#include "ui/entry/AddRecordCommand.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/RecordEdits.h"

AddRecordCommand::AddRecordCommand(RecordEdits& edits, const TravelRecord& added, int row)
    : RecordCommand(edits, QStringLiteral("Add %1").arg(added.field(RecordColumns::Place))), m_record(added), m_row(row)
{
}

StoreResult AddRecordCommand::revert()
{
    // A redo brings the record back as it was taken out.
    return takeOut(m_record, m_row);
}

StoreResult AddRecordCommand::reapply()
{
    const StoreResult result = m_edits.append(m_record);
    if (result) {
        m_row = m_edits.store().rowCount() - 1;
        m_change = {std::nullopt, m_record, m_row};
    }
    return result;
}
