#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class UserTab;

// Keeps the user information of the User tab in the settings: each Text3 box stores its text
// under "20" and its index when it loses the focus, and a click on Check1 toggles the box and
// stores its new state under "202" ("1" checked, "0" clear). Loading the values is part of the
// window's load.
class UserPanel : public QObject
{
    Q_OBJECT

public:
    UserPanel(UserTab* tab, QString registryKeyPath, QObject* parent = nullptr);

    // After a click (mouse or Space) has toggled Check1: stores the state it left.
    void Check1Click();

    // "200", "201" for the boxes, "202" for the anonymous choice.
    static QString valueName(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store(int index, const QString& text) const;

    QPointer<UserTab> m_tab;
    QString m_registryKeyPath;
};
