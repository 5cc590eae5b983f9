#include "ui/user/SuggestionBoxRules.h"

#include "ui/entry/FieldKeyRules.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

// The document holds its line breaks as paragraph or line separators, plain text as "\n".
bool isLineBreak(QChar ch)
{
    return ch == u'\n' || ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator;
}

bool isAllowed(QChar ch)
{
    return isLineBreak(ch) || ch == u'\t' || FieldKeyRules::isStorable(ch);
}

int sentLength(QStringView text)
{
    int length = 0;
    for (QChar ch : text)
        length += isLineBreak(ch) ? 2 : 1;
    return length;
}

} // namespace

SuggestionBoxRules::SuggestionBoxRules(QPlainTextEdit* text4, QObject* parent)
    : QObject(parent), m_text4(text4)
{
    text4->installEventFilter(this);
    connect(text4->document(), &QTextDocument::contentsChange, this, &SuggestionBoxRules::contentsChange);
}

QString SuggestionBoxRules::postedText(const QPlainTextEdit* text4)
{
    QString text = text4->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QChar SuggestionBoxRules::firstKey(QChar typed)
{
    // Only letters with a capital in Windows-1252 shift, as in the entry boxes: lowering any
    // code of 97 or more by 32 would turn "{" into "[" and some symbols into control characters.
    return FieldKeyRules::capitalOf(typed);
}

bool SuggestionBoxRules::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_text4 || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->text().size() != 1 || FieldKeyRules::isShortcut(key->modifiers()))
        return false;
    const QChar typed = key->text().at(0);
    if (!typed.isPrint())
        return false; // Enter, Backspace, Delete and the other control keys work as usual
    if (!isAllowed(typed))
        return true;
    if (m_text4->textCursor().selectionStart() == 0) {
        const QChar first = firstKey(typed);
        if (first != typed) {
            m_text4->insertPlainText(QString(first));
            m_text4->ensureCursorVisible();
            return true;
        }
    }
    return false;
}

void SuggestionBoxRules::contentsChange(int position, int /*removed*/, int added)
{
    if (m_fixing || added <= 0)
        return;
    QTextDocument* document = m_text4->document();
    const QString all = m_text4->toPlainText();
    if (sentLength(all) <= kMaxCharacters && std::all_of(all.begin(), all.end(), isAllowed))
        return;
    // The document may report the final paragraph end as changed; it is never part of the text.
    const int end = std::min(position + added, document->characterCount() - 1);
    position = std::clamp(position, 0, end);
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    const QString inserted = cursor.selectedText();

    // What stood before the change keeps its place; of the new text, what fits.
    int room = kMaxCharacters - (sentLength(all) - sentLength(inserted));
    QString kept;
    for (QChar ch : inserted) {
        if (!isAllowed(ch))
            continue;
        const int length = isLineBreak(ch) ? 2 : 1;
        if (length > room)
            break;
        room -= length;
        kept.append(ch);
    }
    if (kept == inserted)
        return;
    m_fixing = true;
    cursor.insertText(kept);
    m_fixing = false;
}
