#include "ui/online/ShareQuestion.h"

#include "settings/ProgramValues.h"

#include <QMessageBox>
#include <QPushButton>

bool AskToShare(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QLatin1String(ProgramValues::kApplicationTitle), text,
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.setObjectName(QStringLiteral("ShareQuestion"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Share"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}
