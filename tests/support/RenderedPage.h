#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Reads the DOM that Chromium serialises (--dump-dom): every element with its attributes, and
// the text a reader sees. The serialisation is regular (attribute values in double quotes, "<",
// ">" and "&" escaped in text), so a small reader suffices where an XML reader would stop at
// the first void element.
class RenderedPage
{
public:
    struct Element
    {
        QString name;                      // lower case
        QMap<QString, QString> attributes; // names lower case, values unescaped
    };

    explicit RenderedPage(const QString& dom);

    QList<Element> elements(const QString& name) const;
    // The text outside head, script and style, entities resolved, each run of white space and
    // each tag one blank.
    QString visibleText() const { return m_text; }
    // Every attribute whose name begins with "on" (event handlers), as "element.attribute".
    QStringList eventHandlers() const;

private:
    QList<Element> m_elements;
    QString m_text;
};
