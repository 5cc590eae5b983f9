#include "ui/entry/EditHistory.h"

#include "ui/entry/RecordCommand.h"

EditHistory::EditHistory(QObject* parent) : QObject(parent)
{
    m_stack.setUndoLimit(kLimit);
    connect(&m_stack, &QUndoStack::canUndoChanged, this, &EditHistory::canUndoChanged);
    connect(&m_stack, &QUndoStack::canRedoChanged, this, &EditHistory::canRedoChanged);
}

void EditHistory::push(RecordCommand* done)
{
    m_stack.push(done);
}

RecordCommand* EditHistory::commandAt(int index) const
{
    // The stack holds only the record commands pushed here; it hands them out read-only.
    return static_cast<RecordCommand*>(const_cast<QUndoCommand*>(m_stack.command(index)));
}

const RecordCommand* EditHistory::undo(StoreResult& result)
{
    if (!m_stack.canUndo())
        return nullptr;
    RecordCommand* command = commandAt(m_stack.index() - 1);
    result = command->revert();
    if (result)
        m_stack.undo();
    return command;
}

const RecordCommand* EditHistory::redo(StoreResult& result)
{
    if (!m_stack.canRedo())
        return nullptr;
    RecordCommand* command = commandAt(m_stack.index());
    result = command->reapply();
    if (result)
        m_stack.redo();
    return command;
}
