#include "ui/widgets/ScreenReader.h"

#include <QAccessible>

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

} // namespace ScreenReader
