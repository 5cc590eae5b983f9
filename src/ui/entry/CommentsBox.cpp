#include "ui/entry/CommentsBox.h"

#include "ui/entry/FieldKeyRules.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtMath>

CommentsBox::CommentsBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Text1(%1)").arg(Field));
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumHeight(heightForLines(VisibleLines));
}

QString CommentsBox::text() const
{
    // The raw text keeps no-break spaces as typed; separators appear only after setText with
    // a line break in it.
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    raw.replace(QChar::LineSeparator, u'\n');
    return raw;
}

void CommentsBox::setText(const QString& text)
{
    if (text != this->text())
        setPlainText(text);
}

QString CommentsBox::oneStorableLine(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const QChar lineBreak : {QChar(u'\r'), QChar(u'\n'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        line.replace(lineBreak, u' ');
    return FieldKeyRules::storablePart(line);
}

int CommentsBox::heightForLines(int lines) const
{
    const int margins = contentsMargins().top() + contentsMargins().bottom();
    const qreal documentMargin = document()->documentMargin();
    return QFontMetrics(font()).lineSpacing() * lines + margins + qCeil(2 * documentMargin);
}

QSize CommentsBox::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), heightForLines(VisibleLines)};
}

QSize CommentsBox::minimumSizeHint() const
{
    return {QPlainTextEdit::minimumSizeHint().width(), heightForLines(VisibleLines)};
}

void CommentsBox::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    // Entered by the keyboard, the caret stands after the text, as in the other boxes.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        moveCursor(QTextCursor::End);
}

void CommentsBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (FieldKeyRules::tookNonTypingKey(event, [this](QKeyEvent* key) { QPlainTextEdit::keyPressEvent(key); }))
        return;
    if (typed.size() != 1) {
        insertPlainText(FieldKeyRules::storablePart(typed));
        event->accept();
        return;
    }
    typeCharacter(event, typed.front());
}

void CommentsBox::typeCharacter(QKeyEvent* event, QChar typed)
{
    const int caret = textCursor().selectionStart();
    const KeyOutcome outcome = FieldKeyRules::forKey(Field, text(), caret, typed);
    switch (outcome.action) {
    case KeyOutcome::Pass:
        QPlainTextEdit::keyPressEvent(event);
        return;
    case KeyOutcome::Swallow:
        break;
    case KeyOutcome::SwallowCaretToEnd:
        moveCursor(QTextCursor::End);
        break;
    case KeyOutcome::Insert:
        insertPlainText(QString(outcome.character));
        break;
    }
    event->accept();
}

void CommentsBox::inputMethodEvent(QInputMethodEvent* event)
{
    const QString kept = oneStorableLine(event->commitString());
    if (kept == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
}

void CommentsBox::insertFromMimeData(const QMimeData* source)
{
    if (source != nullptr && source->hasText())
        insertPlainText(oneStorableLine(source->text()));
}
