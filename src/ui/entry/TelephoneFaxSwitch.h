#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;
class QLabel;
class QLineEdit;

// Command2, the small button beside the Telephone caption: it lets the telephone box take a
// fax number. The caption (Label1(5)) names what the box holds; the Fax field itself lives in
// the hidden box Text1(30), and the telephone number waits in SavedTelephone meanwhile.
class TelephoneFaxSwitch : public QObject
{
    Q_OBJECT

public:
    static QString telephoneCaption() { return QStringLiteral("Telephone"); }
    static QString faxCaption() { return QStringLiteral("Fax"); }

    TelephoneFaxSwitch(QAbstractButton* button, QLabel* caption, QLineEdit* telephone, QLineEdit* fax,
                       QObject* parent = nullptr);

    bool showsFax() const;
    QString savedTelephone() const { return m_savedTelephone; }

    void toggle();

private:
    void showState();

    QAbstractButton* m_button;
    QLabel* m_caption;
    QLineEdit* m_telephone;
    QLineEdit* m_fax;
    QString m_savedTelephone;
};
