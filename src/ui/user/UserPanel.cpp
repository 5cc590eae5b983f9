#include "ui/user/UserPanel.h"

#include "settings/RegistrySettings.h"
#include "ui/user/UserTab.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>

UserPanel::UserPanel(UserTab* tab, QString registryKeyPath, QObject* parent)
    : QObject(parent), m_tab(tab), m_registryKeyPath(std::move(registryKeyPath))
{
    for (int i = 0; i < UserTab::Text3Count; ++i)
        tab->text3(i)->installEventFilter(this);
    // clicked comes from the user only; the load's setChecked does not count as a click.
    connect(tab->check1(), &QCheckBox::clicked, this, &UserPanel::Check1Click);
}

QString UserPanel::valueName(int index)
{
    return QStringLiteral("20%1").arg(index);
}

void UserPanel::store(int index, const QString& text) const
{
    // A write that fails is not reported: the box keeps its text for this run.
    RegistrySettings::SetRegistryString(RegistrySettings::Root::CurrentUser, m_registryKeyPath,
                                        valueName(index), text);
}

bool UserPanel::eventFilter(QObject* watched, QEvent* event)
{
    // A box being destroyed is no longer a QLineEdit here, so it is never read half-gone.
    if (event->type() == QEvent::FocusOut && m_tab) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            for (int i = 0; i < UserTab::Text3Count; ++i) {
                if (box == m_tab->text3(i))
                    store(i, box->text()); // exactly as it stands, blanks included
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void UserPanel::Check1Click()
{
    if (!m_tab)
        return;
    // The click has already toggled the box: a privacy choice has to be reversible.
    store(UserTab::Text3Count, m_tab->check1()->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}
