#include "ui/entry/ReplaceRecordCommand.h"

#include "store/RecordColumns.h"
#include "store/RecordStore.h"
#include "ui/entry/RecordEdits.h"

ReplaceRecordCommand::ReplaceRecordCommand(RecordEdits& edits, const TravelRecord& before, const TravelRecord& after,
                                           int row)
    : RecordCommand(edits, QStringLiteral("Replace %1").arg(before.field(RecordColumns::Place))), m_before(before),
      m_after(after), m_row(row)
{
}

StoreResult ReplaceRecordCommand::revert()
{
    return exchange(m_after, m_before);
}

StoreResult ReplaceRecordCommand::reapply()
{
    return exchange(m_before, m_after);
}

StoreResult ReplaceRecordCommand::exchange(TravelRecord& present, TravelRecord& wanted)
{
    StoreResult result;
    const std::optional<int> row = locate(present, m_row, result);
    if (!row)
        return result;
    const TravelRecord current = m_edits.store().row(*row);
    const TravelRecord next = RecordEdits::withMarkOf(wanted, current);
    if (result = m_edits.replace(*row, next); result) {
        present = current;
        wanted = next;
        m_row = *row;
        m_change = {current, next, *row};
    }
    return result;
}
