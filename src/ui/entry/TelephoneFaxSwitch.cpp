#include "ui/entry/TelephoneFaxSwitch.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

TelephoneFaxSwitch::TelephoneFaxSwitch(QAbstractButton* button, QLabel* caption, QLineEdit* telephone,
                                       QLineEdit* fax, QObject* parent)
    : QObject(parent), m_button(button), m_caption(caption), m_telephone(telephone), m_fax(fax)
{
    m_caption->setText(telephoneCaption());
    connect(m_button, &QAbstractButton::clicked, this, &TelephoneFaxSwitch::toggle);
    showState();
}

bool TelephoneFaxSwitch::showsFax() const
{
    return m_caption->text() != telephoneCaption();
}

void TelephoneFaxSwitch::toggle()
{
    if (!showsFax()) {
        m_savedTelephone = m_telephone->text();
        m_telephone->clear();
        m_caption->setText(faxCaption());
    } else {
        m_caption->setText(telephoneCaption());
        m_fax->setText(m_telephone->text());
        m_telephone->setText(m_savedTelephone);
    }
    showState();
}

void TelephoneFaxSwitch::showState()
{
    // Screen readers announce the box by what it holds now.
    m_telephone->setAccessibleName(m_caption->text());
    const QString tip = showsFax() ? QStringLiteral("Back to the telephone number")
                                   : QStringLiteral("Type a fax number in this box");
    m_button->setToolTip(tip);
    m_button->setAccessibleName(QStringLiteral("Telephone or fax"));
    m_button->setAccessibleDescription(tip);
}
