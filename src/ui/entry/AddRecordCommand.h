#pragma once

#include "ui/entry/RecordCommand.h"

// Add, undone by taking the record out again (a rewrite) and redone by appending it once more.
class AddRecordCommand : public RecordCommand
{
public:
    AddRecordCommand(RecordEdits& edits, const TravelRecord& added, int row);

    StoreResult revert() override;
    StoreResult reapply() override;

private:
    TravelRecord m_record;
    int m_row;
};
