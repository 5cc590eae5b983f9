#pragma once

#include <QChar>
#include <QtCore/qnamespace.h>

#include <functional>

class QKeyEvent;
#include <QString>
#include <QStringView>

// What a typed character does in an entry box of the form, decided before the box inserts it.
struct KeyOutcome
{
    enum Action {
        Pass,              // the box inserts the character as typed
        Swallow,           // nothing happens
        SwallowCaretToEnd, // nothing is inserted and the caret moves to the end of the text
        Insert             // the box inserts `character` instead of the typed one
    };
    Action action = Pass;
    QChar character;
};

// The per-field key rules of the Text1 boxes. Indexes are those of the Text1 control array.
namespace FieldKeyRules {

inline constexpr int Telephone = 3;
inline constexpr int DateVisited = 5;
inline constexpr int RecommendedBy = 9;
inline constexpr int Specialty = 11;
inline constexpr int Comments = 12;
inline constexpr int Web = 14;
inline constexpr int Email = 15;

// No field may hold the stored line's separator or a character that Windows-1252 lacks,
// because either would corrupt the database file.
bool isStorable(QChar ch);

// For a key that types no text: hands it to `edit` (the box's own handling of Ctrl+V, arrows
// or Backspace), or leaves an Alt or Meta letter to the window, which the box would otherwise
// type; true then. False for a key that types, which the field's rules decide on.
bool tookNonTypingKey(QKeyEvent* event, const std::function<void(QKeyEvent*)>& edit);

// The characters of a composed input that a field can store, in their order.
QString storablePart(QStringView text);

// Whether a key with these modifiers is a command (Ctrl+V) rather than a character; AltGr
// arrives as Ctrl+Alt on Windows and types characters.
bool isShortcut(Qt::KeyboardModifiers modifiers);

// What a key press is to an entry box, by the text it carries and the modifiers held.
enum class KeyKind {
    Typing,  // inserts its text: the key rules of the field apply
    Editing, // no text to insert, or a command of the box itself (Ctrl+V, arrows, Backspace)
    Foreign  // Alt+letter or Meta+letter: a mnemonic or window command, never typed
};

// Only Alt or Meta without Ctrl makes a letter foreign, since AltGr is Ctrl+Alt.
KeyKind kindOf(QStringView text, Qt::KeyboardModifiers modifiers);

// The capital of a lower-case letter when Windows-1252 has that capital; ch itself otherwise.
QChar capitalOf(QChar ch);

// The capitalisation rules for one typed character; caret is where the character would go
// (the start of the selection when text is selected).
KeyOutcome capitalised(QStringView text, int caret, QChar typed);

// The whole rule for a character typed into Text1(field).
KeyOutcome forKey(int field, QStringView text, int caret, QChar typed);

} // namespace FieldKeyRules
