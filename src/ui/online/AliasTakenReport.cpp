#include "ui/online/AliasTakenReport.h"

#include "ui/user/UserTab.h"
#include "ui/widgets/BusyPointer.h"
#include "ui/widgets/MessageBox.h"
#include "ui/window/FrmScrn.h"

#include <QLineEdit>
#include <QTabWidget>

void ReportAliasTaken(FrmScrn& window)
{
    window.ssTab1()->setCurrentIndex(FrmScrn::UserTabIndex);
    QLineEdit* alias = window.userTab()->text3(0);
    alias->setSelection(0, int(alias->text().size()));
    alias->setFocus(Qt::OtherFocusReason);
    BusyPointer::withNormalPointer([&window] {
        OkMessage::show(&window,
                        QStringLiteral("The used alias already belongs to other user. Please change it"));
    });
}
