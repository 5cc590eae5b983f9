#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// The Web and Email boxes: the Web box offers "http://" when entered empty, and leaving
// either box erases an address that cannot be one.
class WebAndEmailChecks : public QObject
{
    Q_OBJECT

public:
    static QString webPrefix() { return QStringLiteral("http://"); }

    WebAndEmailChecks(QLineEdit* web, QLineEdit* email, QObject* parent = nullptr);

    // The text a box keeps when the user leaves it; texts shorter than 5 characters stay.
    static QString webOnLeaving(const QString& text);
    static QString emailOnLeaving(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_web;
    QLineEdit* m_email;
};
