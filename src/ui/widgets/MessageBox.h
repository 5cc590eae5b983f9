#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The program's message boxes: one OK button, the application title as caption, owned by a
// window of the program. The box is modal and returns once the user has closed it.
namespace OkMessage {

// Shows text, with optional details in a second paragraph below it.
void show(QWidget* owner, const QString& text, const QString& details = {},
          QMessageBox::Icon icon = QMessageBox::NoIcon);

// Tells the user that a change to the records could not be written, and why.
void showSaveFailure(QWidget* owner, const QString& reason);

} // namespace OkMessage

// Questions with more than one answer, under the same caption and owner as OkMessage.
namespace QuestionMessage {

// Asks whether to keep changes that would otherwise be lost: Save, Discard or Cancel
// (Save is the default, Escape answers Cancel).
QMessageBox::StandardButton askSaveDiscardCancel(QWidget* owner, const QString& text);

// Asks before something is published: Share (the box's OK button, the default) or Cancel
// (also Escape). True when the user chose Share.
bool askShareOrCancel(QWidget* owner, const QString& text);

// Asks whether to go on without saving anything: Open (named "Open read-only", the default)
// or Close (also Escape). True when the user chose to open.
bool askOpenReadOnly(QWidget* owner, const QString& text, const QString& details);

} // namespace QuestionMessage
