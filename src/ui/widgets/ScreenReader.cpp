#include "ui/widgets/ScreenReader.h"

#include <QList>

namespace {

ScreenReader::Listener listener = nullptr;

} // namespace

namespace ScreenReader {

void announce(QAccessibleEvent* event)
{
    if (listener != nullptr)
        listener(event);
    else
        QAccessible::updateAccessibility(event);
}

bool isListening()
{
    return listener != nullptr || QAccessible::isActive();
}

void setListener(Listener replacement)
{
    listener = replacement;
}

void useInterface(QObject* object, QAccessible::InterfaceFactory factory, bool (*isOurs)(QAccessibleInterface*))
{
    static QList<QAccessible::InterfaceFactory> installed;
    if (!installed.contains(factory)) {
        installed.append(factory);
        QAccessible::installFactory(factory);
    }
    if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object); face != nullptr && !isOurs(face))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

} // namespace ScreenReader
