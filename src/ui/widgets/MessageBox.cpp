#include "ui/widgets/MessageBox.h"

#include "settings/ProgramValues.h"

#include <QPushButton>

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

namespace QuestionMessage {

QMessageBox::StandardButton askSaveDiscardCancel(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QLatin1String(ProgramValues::kApplicationTitle), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner);
    box.setObjectName(QStringLiteral("QuestionMessage"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    return QMessageBox::StandardButton(box.exec());
}

bool askShareOrCancel(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QLatin1String(ProgramValues::kApplicationTitle), text,
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.setObjectName(QStringLiteral("QuestionMessage"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Share"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

bool askOpenReadOnly(QWidget* owner, const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::Question, QLatin1String(ProgramValues::kApplicationTitle), text,
                    QMessageBox::Open | QMessageBox::Close, owner);
    box.setObjectName(QStringLiteral("QuestionMessage"));
    box.setInformativeText(details);
    box.button(QMessageBox::Open)->setText(QStringLiteral("Open read-only"));
    box.setDefaultButton(QMessageBox::Open);
    box.setEscapeButton(QMessageBox::Close);
    return box.exec() == QMessageBox::Open;
}

} // namespace QuestionMessage
