#pragma once

#include "ui/entry/RecordCommand.h"

// Remove, undone by putting the record back at its place (a rewrite) and redone by taking it
// out again.
class RemoveRecordCommand : public RecordCommand
{
public:
    RemoveRecordCommand(RecordEdits& edits, const TravelRecord& removed, int row);

    StoreResult revert() override;
    StoreResult reapply() override;

private:
    TravelRecord m_record;
    int m_row;
};
