#pragma once

#include "ui/entry/RecordCommand.h"

// Replace, undone and redone by rewriting the record with the other set of values. The record
// keeps the upload mark it has at that moment, so a mark that Share gave it in between stays.
class ReplaceRecordCommand : public RecordCommand
{
public:
    ReplaceRecordCommand(RecordEdits& edits, const TravelRecord& before, const TravelRecord& after, int row);

    StoreResult revert() override;
    StoreResult reapply() override;

private:
    // Puts `wanted` where `present` is; on success both hold what the list now has.
    StoreResult exchange(TravelRecord& present, TravelRecord& wanted);

    TravelRecord m_before;
    TravelRecord m_after;
    int m_row;
};
