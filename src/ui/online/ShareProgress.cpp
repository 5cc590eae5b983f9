#include "ui/online/ShareProgress.h"

#include "settings/ProgramValues.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

ShareProgress::ShareProgress(QWidget* window)
    : QDialog(window), m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("ShareProgress"));
    setWindowTitle(QLatin1String(ProgramValues::kApplicationTitle));
    // The bar is announced by what it measures.
    m_bar->setAccessibleName(QStringLiteral("Sharing records"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
}

void ShareProgress::step(int index, int total)
{
    m_label->setText(QStringLiteral("record %1 of %2").arg(index).arg(total));
    m_bar->setRange(0, total);
    m_bar->setValue(index - 1);
    if (!isVisible())
        show();
}
