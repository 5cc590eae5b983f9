#pragma once

#include "store/StoreResult.h"

#include <QObject>
#include <QUndoStack>

class RecordCommand;

// The Add, Replace and Remove commands of this run that can be undone, the newest 20 of them.
// A step whose write fails stays where it is on the stack, so the user can try it again.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLimit = 20;

    explicit EditHistory(QObject* parent = nullptr);

    // Keeps a command whose change has already been made and stored.
    void push(RecordCommand* done);

    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    int count() const { return m_stack.count(); }

    // Undoes or redoes the next step; the command that ran, or nullptr when there was none.
    const RecordCommand* undo(StoreResult& result);
    const RecordCommand* redo(StoreResult& result);

signals:
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);

private:
    RecordCommand* commandAt(int index) const;

    QUndoStack m_stack;
};
