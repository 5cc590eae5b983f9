#include "ui/widgets/MessageBox.h"

#include "settings/ProgramValues.h"

namespace OkMessage {

void show(QWidget* owner, const QString& text, const QString& details, QMessageBox::Icon icon)
{
    QMessageBox box(icon, QLatin1String(ProgramValues::kApplicationTitle), text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("OkMessage"));
    if (!details.isEmpty())
        box.setInformativeText(details);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void showSaveFailure(QWidget* owner, const QString& reason)
{
    show(owner, QStringLiteral("The change could not be saved."), reason, QMessageBox::Warning);
}

} // namespace OkMessage
