#include "ui/entry/RemoveRecordCommand.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/RecordEdits.h"

#include <algorithm>

RemoveRecordCommand::RemoveRecordCommand(RecordEdits& edits, const TravelRecord& removed, int row)
    : RecordCommand(edits, QStringLiteral("Remove %1").arg(removed.field(RecordColumns::Place))), m_record(removed),
      m_row(row)
{
}

StoreResult RemoveRecordCommand::revert()
{
    // Rows removed or added since may have moved its place; it never goes past the end.
    const int row = std::min(m_row, m_edits.store().rowCount());
    const StoreResult result = m_edits.insert(row, m_record);
    if (result) {
        m_row = row;
        m_change = {std::nullopt, m_record, row};
    }
    return result;
}

StoreResult RemoveRecordCommand::reapply()
{
    return takeOut(m_record, m_row);
}
