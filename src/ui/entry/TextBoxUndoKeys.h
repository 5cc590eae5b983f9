#pragma once

class QKeyEvent;
class QObject;
class QWidget;

// Ctrl+Z and Ctrl+Shift+Z first undo and redo what the user typed into the text box that has
// the focus; once the box is back to what a command left in it, the keys go on to the records.
namespace TextBoxUndoKeys {

// Whether the box a shortcut-override event is sent to keeps the key for its own typing.
bool boxKeepsKey(QObject* box, const QKeyEvent& key);

// After a command has filled or emptied the boxes: what they hold now counts as not typed.
void markUntyped(QWidget* form);

} // namespace TextBoxUndoKeys
