#include "ui/online/ShareProgress.h"

#include "settings/ProgramValues.h"

#include <QCoreApplication>
#include <QProgressBar>

ShareProgress::ShareProgress(QWidget* window) : m_dialog(window)
{
    m_dialog.setObjectName(QStringLiteral("ShareProgress"));
    m_dialog.setWindowTitle(QLatin1String(ProgramValues::kApplicationTitle));
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setCancelButtonText(QStringLiteral("Cancel"));
    m_dialog.setMinimumDuration(0);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    // The bar is announced by what it measures.
    if (auto* bar = m_dialog.findChild<QProgressBar*>())
        bar->setAccessibleName(QStringLiteral("Sharing records"));
}

bool ShareProgress::step(int index, int total)
{
    if (m_dialog.wasCanceled())
        return false;
    m_dialog.setMaximum(total);
    m_dialog.setLabelText(QStringLiteral("record %1 of %2").arg(index).arg(total));
    if (!m_dialog.isVisible())
        m_dialog.show();
    m_dialog.setValue(index - 1);
    // The input that waited while the last request was under way (a click on Cancel among
    // it) is handled now; the dialog keeps it away from the window.
    QCoreApplication::processEvents();
    return !m_dialog.wasCanceled();
}
