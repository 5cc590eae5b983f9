#include "ui/entry/RecordCommand.h"

#include "store/RecordStore.h"
#include "ui/entry/RecordEdits.h"

RecordCommand::RecordCommand(RecordEdits& edits, const QString& text) : QUndoCommand(text), m_edits(edits) {}

std::optional<int> RecordCommand::locate(const TravelRecord& record, int hint, StoreResult& failure) const
{
    const int row = m_edits.find(record, hint);
    if (row < 0) {
        failure = StoreResult::failure(QStringLiteral("the record is no longer in the list"));
        return std::nullopt;
    }
    return row;
}

StoreResult RecordCommand::takeOut(TravelRecord& record, int& row)
{
    StoreResult result;
    const std::optional<int> at = locate(record, row, result);
    if (!at)
        return result;
    const TravelRecord current = m_edits.store().row(*at);
    if (result = m_edits.remove(*at); result) {
        record = current;
        row = *at;
        m_change = {current, std::nullopt, *at};
    }
    return result;
}
