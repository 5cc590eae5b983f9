#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// The Web and Email boxes: the Web box offers "http://" when entered empty, a whole address
// pasted after that offer takes its place, and leaving either box erases an address that
// cannot be one.
class WebAndEmailChecks : public QObject
{
    Q_OBJECT

public:
    static QString webPrefix() { return QStringLiteral("http://"); }

    WebAndEmailChecks(QLineEdit* web, QLineEdit* email, QObject* parent = nullptr);

    // The text a box keeps when the user leaves it; texts shorter than 5 characters stay.
    static QString webOnLeaving(const QString& text);
    static QString emailOnLeaving(const QString& text);
    // The Web box's text after an edit: an address that arrived with its own scheme behind the
    // offered "http://" keeps only its own.
    static QString webAfterEdit(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dropOfferedPrefix();

    QLineEdit* m_web;
    QLineEdit* m_email;
};
