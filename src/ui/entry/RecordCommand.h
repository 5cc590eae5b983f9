#pragma once

#include "store/StoreResult.h"
#include "store/TravelRecord.h"

#include <QUndoCommand>

#include <optional>

class RecordEdits;

// One undoable change to the records. The change is made on the list and the file before the
// undo stack moves, so that a write that fails leaves the command where it was and the list
// as the file has it; undo() and redo() of the stack only keep its place.
class RecordCommand : public QUndoCommand
{
public:
    // What the last step did to the records: the record it took out and the one it put in.
    struct Change
    {
        std::optional<TravelRecord> taken;
        std::optional<TravelRecord> put;
        int row = -1;
    };

    explicit RecordCommand(RecordEdits& edits, const QString& text);

    // The step back and the step again; on failure nothing has changed.
    virtual StoreResult revert() = 0;
    virtual StoreResult reapply() = 0;

    const Change& lastChange() const { return m_change; }

    void undo() override {}
    void redo() override {}

protected:
    // The row that holds a record this command changed, or a failure saying it is gone.
    std::optional<int> locate(const TravelRecord& record, int hint, StoreResult& failure) const;
    // Takes a record out of the list and the file. On success the record is kept as the list
    // had it, with a mark that Share may have given it, and the row says where it stood.
    StoreResult takeOut(TravelRecord& record, int& row);

    RecordEdits& m_edits;
    Change m_change;
};
