#pragma once

#include <QAccessible>

class QAccessibleEvent;
class QAccessibleInterface;
class QObject;

// What the program tells a screen reader: events go to QAccessible::updateAccessibility, or to
// a test that listens in its place where the platform has no screen reader.
namespace ScreenReader {

using Listener = void (*)(QAccessibleEvent*);

void announce(QAccessibleEvent* event);
// Whether a screen reader (or a test) listens: announcements that take work to make are made
// only then.
bool isListening();
// nullptr: the platform's screen reader again.
void setListener(Listener listener);

// Makes an object's interface the one a factory of the program's gives (installed once per
// program), dropping one made for the object before, which isOurs tells apart.
void useInterface(QObject* object, QAccessible::InterfaceFactory factory, bool (*isOurs)(QAccessibleInterface*));

} // namespace ScreenReader
