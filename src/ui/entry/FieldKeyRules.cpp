#include "ui/entry/FieldKeyRules.h"

#include "store/Cp1252.h"

#include <QKeyEvent>

namespace FieldKeyRules {

bool isStorable(QChar ch)
{
    return ch != u'|' && Cp1252::canEncode(ch);
}

bool tookNonTypingKey(QKeyEvent* event, const std::function<void(QKeyEvent*)>& edit)
{
    switch (kindOf(event->text(), event->modifiers())) {
    case KeyKind::Editing:
        edit(event);
        return true;
    case KeyKind::Foreign:
        event->ignore();
        return true;
    case KeyKind::Typing:
        break;
    }
    return false;
}

QString storablePart(QStringView text)
{
    QString kept;
    for (const QChar ch : text) {
        if (isStorable(ch))
            kept.append(ch);
    }
    return kept;
}

bool isShortcut(Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers.testAnyFlags(Qt::ControlModifier | Qt::MetaModifier);
    return control && !modifiers.testFlag(Qt::AltModifier);
}

KeyKind kindOf(QStringView text, Qt::KeyboardModifiers modifiers)
{
    if (text.isEmpty() || text.front().unicode() < 32 || text.front().unicode() == 127)
        return KeyKind::Editing;
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (modifiers.testFlag(Qt::MetaModifier) || (alt && !control))
        return KeyKind::Foreign;
    if (control && !alt)
        return KeyKind::Editing;
    return KeyKind::Typing;
}

QChar capitalOf(QChar ch)
{
    if (!ch.isLower())
        return ch;
    const QChar upper = ch.toUpper();
    return (upper != ch && Cp1252::canEncode(upper)) ? upper : ch;
}

KeyOutcome capitalised(QStringView text, int caret, QChar typed)
{
    if (typed.unicode() < 32)
        return {};
    // Only letters with a capital of their own shift; "{", "~" or a currency sign stay as typed.
    if (caret == 0) {
        const QChar capital = capitalOf(typed);
        if (capital != typed)
            return {KeyOutcome::Insert, capital};
        return {};
    }
    if (text.endsWith(u' ') && typed >= u'a' && typed <= u'z')
        return {KeyOutcome::Insert, typed.toUpper()};
    return {};
}

KeyOutcome forKey(int field, QStringView text, int caret, QChar typed)
{
    if (typed.unicode() >= 32 && !isStorable(typed))
        return {KeyOutcome::Swallow, {}};
    switch (field) {
    case Specialty:
    case Comments:
        if (text.size() >= 2)
            return {};
        return capitalised(text, caret, typed);
    case Web:
        if (typed == u' ' || typed == u'@')
            return {KeyOutcome::SwallowCaretToEnd, {}};
        return capitalised(text, caret, typed);
    case Email:
        if (typed == u'@' && text.contains(u'@'))
            return {KeyOutcome::SwallowCaretToEnd, {}};
        return {};
    default:
        return capitalised(text, caret, typed);
    }
}

} // namespace FieldKeyRules
