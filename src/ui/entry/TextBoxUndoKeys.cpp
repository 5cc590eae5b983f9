#include "ui/entry/TextBoxUndoKeys.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

namespace {

QTextDocument* documentOf(QObject* box)
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        return plain->document();
    if (auto* rich = qobject_cast<QTextEdit*>(box))
        return rich->document();
    return nullptr;
}

} // namespace

namespace TextBoxUndoKeys {

bool boxKeepsKey(QObject* box, const QKeyEvent& key)
{
    const bool undo = key.matches(QKeySequence::Undo);
    const bool redo = key.matches(QKeySequence::Redo);
    if (!undo && !redo)
        return true;
    if (auto* combo = qobject_cast<QComboBox*>(box))
        box = combo->lineEdit();
    // A box counts as modified from the user's first key after a command until that typing
    // is undone again.
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return !line->isReadOnly() && (undo ? line->isModified() : line->isRedoAvailable());
    if (const QTextDocument* document = documentOf(box))
        return undo ? document->isModified() : document->isRedoAvailable();
    return true;
}

void markUntyped(QWidget* form)
{
    for (QLineEdit* line : form->findChildren<QLineEdit*>())
        line->setModified(false);
    for (QObject* box : form->findChildren<QObject*>()) {
        if (QTextDocument* document = documentOf(box))
            document->setModified(false);
    }
}

} // namespace TextBoxUndoKeys
