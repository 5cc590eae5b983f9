#include "ui/entry/EntryLineEdit.h"

#include "ui/entry/FieldCharacterValidator.h"
#include "ui/entry/FieldKeyRules.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

EntryLineEdit::EntryLineEdit(int field, QWidget* parent) : QLineEdit(parent), m_field(field)
{
    setObjectName(QStringLiteral("Text1(%1)").arg(field));
    setValidator(new FieldCharacterValidator(this));
}

void EntryLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A box entered by the keyboard shows its caret after the text instead of selecting it all.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        end(false);
}

void EntryLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (FieldKeyRules::tookNonTypingKey(event, [this](QKeyEvent* key) { QLineEdit::keyPressEvent(key); }))
        return;
    if (typed.size() != 1) {
        // Composed input: keep only what the file can store.
        const QString kept = FieldKeyRules::storablePart(typed);
        if (!kept.isEmpty())
            insert(kept);
        event->accept();
        return;
    }
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    const KeyOutcome outcome = FieldKeyRules::forKey(m_field, text(), caret, typed.front());
    switch (outcome.action) {
    case KeyOutcome::Pass:
        QLineEdit::keyPressEvent(event);
        return;
    case KeyOutcome::Swallow:
        break;
    case KeyOutcome::SwallowCaretToEnd:
        end(false);
        break;
    case KeyOutcome::Insert:
        insert(QString(outcome.character));
        break;
    }
    event->accept();
}

void EntryLineEdit::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLineEdit::mousePressEvent(event);
}

void EntryLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = m_pressed && event->button() == Qt::LeftButton;
    m_pressed = false;
    QLineEdit::mouseReleaseEvent(event);
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}
