#include "ui/widgets/BusyPointer.h"

#include <QApplication>
#include <QCursor>

BusyPointer::BusyPointer()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer()
{
    QApplication::restoreOverrideCursor();
}

void BusyPointer::withNormalPointer(const std::function<void()>& show)
{
    if (!QApplication::overrideCursor()) {
        show();
        return;
    }
    // Override pointers stack: the arrow goes over the hourglass and is taken off again.
    struct Arrow
    {
        Arrow() { QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
        ~Arrow() { QApplication::restoreOverrideCursor(); }
    } arrow;
    show();
}
