#include "ui/window/UnloadAll.h"

#include "ui/window/FrmScrn.h"

#include <QApplication>

void UnloadAll(FrmScrn& window)
{
    window.clearRecordList();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* widget : windows) {
        if (widget->isWindow() && widget->isVisible())
            widget->close();
    }
}
